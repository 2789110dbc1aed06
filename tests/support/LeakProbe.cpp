// Leaks one allocation on purpose: the test suite runs it to prove that its
// leak checking is on (the test passes only on the leak report).

#include <cstdio>

int main() {
    auto* lost = new int[16]{42};
    std::printf("%d\n", lost[0]);
    lost = nullptr;  // the only pointer to the block is gone
    return 0;
}

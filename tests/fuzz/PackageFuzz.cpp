// Whole IDML packages of any bytes (tests/fuzz/PackageFuzzing.h), formatted with :Phonetics:IPA where they have it.

#include "idml/IdmlDocument.h"
#include "tests/fuzz/PackageFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonotag;
    const auto read = [](std::string bytes, const std::string& name) { return idml::ReadIdmlDocument(std::move(bytes), name, {}); };
    return fuzz::FuzzPackage(fuzz::Bytes(data, size), "idml", read, u":Phonetics:IPA");
}

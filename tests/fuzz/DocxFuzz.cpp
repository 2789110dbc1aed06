// Whole Word documents of any bytes (tests/fuzz/PackageFuzzing.h), formatted with the style Word shows as Hyperlink
// where they have it.

#include "docx/DocxDocument.h"
#include "tests/fuzz/PackageFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonotag;
    return fuzz::FuzzPackage(fuzz::Bytes(data, size), "docx", docx::ReadDocxDocument, u":Hyperlink");
}

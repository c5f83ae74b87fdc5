// Random page addresses and pages through every site extractor. The input is
// an address (up to 512 bytes, ended by a lone backslash) followed by the
// page. The extractors are called straight from the dispatch table, empty
// pages too, and nothing is caught: any exception stops the run.
#include "resolve/sites/extract_link.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarnwick;
    FuzzedDataProvider input(data, size);
    const std::string address = input.ConsumeRandomLengthString(512);
    const std::string page = input.ConsumeRemainingBytesAsString();
    for (int site = 1; site <= 13; ++site) {
        const resolve::Extractor extract = resolve::ExtractorFor(site);
        if (extract == nullptr) continue;
        (void)extract(address, page);
    }
    return 0;
}

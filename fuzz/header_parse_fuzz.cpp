// Random answer headers through the probe's header parse.
#include "fuzz_check.h"
#include "transfer/header_parse.h"
#include "transfer/transfer_failure.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    try {
        const auto parsed = tarnwick::transfer::ParseHeaders(raw);
        if (!parsed) return 0;
        const tarnwick::transfer::HeaderFindings& findings = *parsed;
        // Values are cut from the text: none can be longer than the text.
        FUZZ_REQUIRE(findings.LastModified.size() <= raw.size() ||
                     findings.LastModified == "Not Available");
        FUZZ_REQUIRE(findings.RemoteFileName.size() <= raw.size());
        FUZZ_REQUIRE(findings.RemoteFileType.size() <= raw.size());
    } catch (const tarnwick::transfer::TransferFailure&) {
        // A Content-Length that is not a number ends the probe with an error.
    }
    return 0;
}

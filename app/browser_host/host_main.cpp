// tarnwick-browser-host: the native messaging host that the browsers start
// for Tarnwick's extension. It reads the extension's framed JSON requests on
// standard input, hands their items to the running program (starting it in
// the tray where none runs) and writes one framed reply for each request on
// standard output, which carries nothing else. Everything that comes in is
// untrusted: each refusal is a reply with its reason.
#include "app/browser_host/program_handover.h"
#include "common/app_info.h"
#include "common/write_all.h"
#include "handoff/handoff_request.h"
#include "handoff/native_framing.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <string>
#include <variant>
#include <vector>

#include <unistd.h>

namespace {

using namespace tarnwick;

bool Reply(const std::string& json) { return WriteAll(STDOUT_FILENO, handoff::FrameMessage(json)); }

std::string Answer(const std::string& json) {
    auto request = handoff::ParseHandoffRequest(json);
    if (const auto* refusal = std::get_if<handoff::Refusal>(&request))
        return handoff::RefusalReply(refusal->reason);
    const handoff::HandoffRequest& asked = std::get<handoff::HandoffRequest>(request);
    if (asked.kind == handoff::HandoffRequest::Kind::kPing) return handoff::PingReply(kVersionText);
    auto replies = browser_host::HandToProgram(asked.items);
    if (const auto* refusal = std::get_if<handoff::Refusal>(&replies))
        return handoff::RefusalReply(refusal->reason);
    return handoff::ItemsReply(std::get<std::vector<handoff::ItemReply>>(replies));
}

// Answers each whole message; false once the input cannot go on.
bool AnswerWaiting(handoff::FrameReader& reader) {
    for (;;) {
        handoff::FrameReader::Found found = reader.Next();
        if (std::holds_alternative<handoff::FrameReader::NeedMore>(found)) return true;
        if (std::holds_alternative<handoff::FrameReader::TooLong>(found)) {
            Reply(handoff::RefusalReply("The message is longer than 8 MiB"));
            return false;
        }
        if (!Reply(Answer(std::get<handoff::FrameReader::Message>(found).json))) return false;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    if (!handoff::IsOurCaller(arguments)) {
        Reply(handoff::RefusalReply("This host answers Tarnwick's own extension only"));
        return 1;
    }
    handoff::FrameReader reader;
    std::string buffer(64 * 1024, '\0');
    for (;;) {
        const ssize_t count = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            if (reader.HasPartial())
                Reply(handoff::RefusalReply("The message ended before its length"));
            return count == 0 ? 0 : 1;
        }
        reader.Append(std::string_view(buffer.data(), static_cast<size_t>(count)));
        if (!AnswerWaiting(reader)) return 1;
    }
}

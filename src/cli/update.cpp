#include "update/update.h"

#include "cli/cli.h"
#include "common/latin1.h"
#include "platform/program_file.h"
#include "platform/tcp_client.h"
#include "update/connection_messages.h"
#include "update/reception.h"
#include "update/request.h"

namespace korrin::cli {
namespace {

// The description as the update tab would show it: CR LF line ends become the terminal's.
std::string DescriptionForTerminal(std::string_view description) {
    std::string text;
    text.reserve(description.size());
    for (std::size_t i = 0; i < description.size(); ++i) {
        if (description[i] == '\r' && i + 1 < description.size() && description[i + 1] == '\n') {
            continue;
        }
        text.push_back(description[i]);
    }
    return Latin1ToUtf8(text);
}

}  // namespace

int UpdateCommand(const Context& ctx, const std::string& address, int port) {
    // The address is typed text, as in the update tab's box.
    const std::optional<update::UpdateAddress> split =
        update::SplitUpdateAddress(Utf8ToLatin1(address));
    if (!split) {
        ctx.io.err << update::kBadAddressMessage << '\n';
        return 1;
    }

    update::Reception reception;
    const platform::NetStatus net = platform::ExchangeOverTcp(
        split->host, port, update::BuildRequest(split->updatePath, split->host),
        [&reception](std::string_view batch) { reception.Append(batch); });
    if (!net.ok) {
        // As in the window: what arrived before a connection broke is dropped unused.
        const std::string message = net.connected
                                        ? update::ConnectionBrokeMessage(split->host, net.reason)
                                        : update::ConnectFailedMessage(split->host, net.reason);
        ctx.io.err << Latin1ToUtf8(message) << '\n';
        return 1;
    }

    const update::UpdateOutcome outcome =
        update::FinishUpdate(ctx.fs, ctx.folder, reception, platform::OwnProgramFile().name);
    ctx.io.out << DescriptionForTerminal(outcome.description);
    for (const std::string& note : outcome.notes) {
        ctx.io.err << "korrin-patch update: " << Latin1ToUtf8(note) << '\n';
    }
    if (outcome.completed) {
        ctx.io.out << Latin1ToUtf8(outcome.message) << '\n';
        return 0;
    }
    ctx.io.err << Latin1ToUtf8(outcome.message) << '\n';
    return 1;
}

}  // namespace korrin::cli

#include "update/update.h"

#include <memory>

#include "cli/cli.h"
#include "common/latin1.h"
#include "platform/program_file.h"
#include "platform/tcp_client.h"
#include "update/connection_messages.h"
#include "update/reception.h"
#include "update/request.h"

namespace korrin::cli {
namespace {

struct UpdateArguments {
    std::string address;
    std::optional<std::string> port;
    std::string timeout = std::to_string(update::kSilenceLimitSeconds);
};

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

// A whole number from 1 to most, or 0 when text is anything else.
int WholeNumber(const std::string& text, int most) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    const int n = std::stoi(text);
    return n <= most ? n : 0;
}

int Update(const Context& ctx, const UpdateArguments& args) {
    const int timeout = WholeNumber(args.timeout, 86400);
    if (timeout == 0) return UsageError(ctx, "--timeout is a number of seconds from 1 to 86400");
    int port = update::kUpdatePort;
    if (args.port) {
        port = WholeNumber(*args.port, 65535);
        if (port == 0) return UsageError(ctx, "--port is a number from 1 to 65535");
    }

    // The address is typed text, as in the update tab's box.
    update::UpdateAddress address;
    if (const Status read = update::ReadUpdateAddress(Utf8ToLatin1(args.address), &address);
        !read.ok()) {
        ctx.io.err << Latin1ToUtf8(read.reason) << '\n';
        return 1;
    }
    if (!address.portWritten) address.port = port;

    update::Reception reception;
    bool connected = false;
    const Status net = platform::ExchangeOverTcp(
        address.host, address.port, update::BuildRequest(address.updatePath, address.HostHeader()),
        std::chrono::seconds(timeout),
        [&reception](std::string_view batch) { reception.Append(batch); }, &connected);
    if (!net.ok()) {
        // As in the window: what arrived before a connection broke is dropped unused.
        const std::string message =
            net.error == ErrorCode::kTimedOut ? update::TimedOutMessage(address.host, timeout)
            : connected ? update::ConnectionBrokeMessage(address.host, net.reason)
                        : update::ConnectFailedMessage(address.host, net.reason);
        ctx.io.err << Latin1ToUtf8(message) << '\n';
        return 1;
    }

    const update::UpdateOutcome outcome =
        update::FinishUpdate(ctx.fs, ctx.folder, reception, platform::OwnProgramFile().name);
    ctx.io.out << DescriptionForTerminal(outcome.description);
    if (!outcome.completed) {
        ctx.io.err << Latin1ToUtf8(outcome.message) << '\n';
        return 1;
    }
    ctx.io.out << Latin1ToUtf8(outcome.message) << '\n';
    // The update ran, but not every step of it: each refused or failed step, and status 1.
    for (const std::string& note : outcome.notes) {
        ctx.io.err << "korrin-patch update: " << Latin1ToUtf8(note) << '\n';
    }
    if (!outcome.notes.empty()) {
        ctx.io.err << "korrin-patch update: " << outcome.notes.size()
                   << (outcome.notes.size() == 1 ? " step" : " steps")
                   << " of the update script could not be done\n";
        return 1;
    }
    return 0;
}

}  // namespace

Command AddUpdate(CLI::App& program, bool& /*json*/) {
    auto args = std::make_shared<UpdateArguments>();
    CLI::App* update = program.add_subcommand(
        "update", "The online update into the program folder, as the Update button runs it");
    update
        ->add_option("ADDRESS", args->address,
                     "Update address: a host (host:port for another port than 80), then the "
                     "path of patch.dsc's folder")
        ->required();
    update->add_option("--port", args->port, "TCP port when ADDRESS names none (default: 80)")
        ->type_name("N");
    update
        ->add_option("--timeout", args->timeout,
                     "Seconds the server may stay silent before the update gives up (default: " +
                         args->timeout + ")")
        ->type_name("SECONDS");
    update->footer(
        "Fetches ADDRESS + patch.dsc with HTTP/1.0, runs it as the update script in the program\n"
        "folder, prints the description it shows, then the message the window would show, then\n"
        "every step of the script that was refused or failed. Status 0 only for \"Auto update\n"
        "completed.\" with every step done.\n"
        "Example:\n  korrin-patch --folder ~/korrin update updates.example.org/korrin/");
    return {update, [args](const Context& ctx) { return Update(ctx, *args); }};
}

}  // namespace korrin::cli

#include <memory>

#include "cli/cli_commands.h"
#include "cli/device_session.h"
#include "config/record_fields.h"
#include "config/record_text.h"
#include "util/shown_text.h"

namespace wb {
namespace {

// The reply without the line break the beacon ends it with.
std::string replyLine(std::string reply) {
    while (!reply.empty() && (reply.back() == '\r' || reply.back() == '\n')) reply.pop_back();
    return reply;
}

}  // namespace

void addVersionCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("version", "Identify the beacon on a port (Read Version)");
    auto options = std::make_shared<DeviceCommandOptions>();
    addDeviceOptions(*command, *options);
    command->callback([&context, options] {
        DeviceSession session(context, *options);
        if (!session.ready()) {
            context.exitCode = kExitFailed;
            return;
        }
        session.run(ExchangeState::ReadVersion);
        if (exitCodeFor(session.device.outcome) != kExitOk) {
            context.exitCode = session.finish(session.fail());
            return;
        }
        context.out << "model: " << modelName(session.device.config.model) << '\n'
                    << "version: " << shownText(bytesToUtf8(replyLine(session.device.versionReply))) << '\n';
        context.exitCode = session.finish(kExitOk);
    });
}

}  // namespace wb

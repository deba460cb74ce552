#include "patch/apply.h"

#include <memory>
#include <optional>

#include "cli/cli.h"
#include "cli/text.h"
#include "common/latin1.h"
#include "common/number.h"
#include "common/text.h"
#include "journal/undo.h"
#include "patch/value.h"

namespace korrin::cli {
namespace {

struct ApplyArguments {
    std::string target;
    std::string entry;
    std::optional<std::string> option;  // "1" or "2" once checked
    std::optional<std::string> value;
};

// The window writes whatever the number rule reads out of the value box; someone typing a
// value on the command line is told when that is not the number they typed.
int CheckNumber(const Context& ctx, const std::string& typed, const std::string& value) {
    if (!BeginsWithNumber(value)) {
        return UsageError(ctx, "--value " + QuotedPrintable(value) +
                                   " holds no number, and this is a \"num\" patch");
    }
    const std::optional<patch::Bytes> bytes = patch::NumberToBytes(ReadNumber(value));
    if (!bytes) return 0;  // Apply refuses it, with its own message
    const auto low = static_cast<unsigned char>((*bytes)[0]);
    const auto high = static_cast<unsigned char>((*bytes)[1]);
    const std::string written = std::to_string(low + 256 * high);
    if (typed != written) {
        ctx.io.err << "korrin-patch apply: warning: --value \"" << typed << "\" is written as "
                   << written << " (bytes " << HexPairs(*bytes) << ")\n";
    }
    return 0;
}

int Apply(const Context& ctx, const ApplyArguments& args) {
    Selected selected;
    if (const Status status = SelectEntry(LoadCatalogue(ctx), args.entry, &selected);
        !status.ok()) {
        return UsageError(ctx, status.reason);
    }
    if (args.option && *args.option != "1" && *args.option != "2") {
        return UsageError(ctx, "--option is 1 or 2, not \"" + *args.option + "\"");
    }
    if (args.option && args.value) return UsageError(ctx, "give --option or --value, not both");

    const catalogue::DefinitionView view = ReadEntryDefinition(ctx, selected.entry);
    patch::ApplyRequest request = patch::ApplyRequest::ForDefinition(view);
    request.targetPath = args.target;
    request.secondOption = args.option == "2";
    // Typed text, as in the value box: one byte per character.
    if (args.value) request.value = Utf8ToLatin1(*args.value);

    // What the definition lacks is Apply's to say; the choice of control is judged on a
    // complete one. The window offers the option buttons or the value box, never both.
    if (view.complete()) {
        const std::string which = "entry " + std::to_string(selected.index);
        if (view.showsOptions() && args.value) {
            return UsageError(ctx, which +
                                       " is a \"yn\" patch: choose with --option 1 or 2, "
                                       "not --value");
        }
        if (!view.showsOptions() && args.option) {
            return UsageError(ctx, which + " has no options: --option is for \"yn\" patches");
        }
        if (args.value && view.valueKind == catalogue::ValueKind::kNumber) {
            if (const int status = CheckNumber(ctx, *args.value, request.value); status != 0) {
                return status;
            }
        }
    }

    const journal::RecordedApply recorded = journal::ApplyAndRecord(
        ctx.fs, journal::DefaultJournalPath(), request, selected.entry.title,
        selected.entry.fileName, journal::ValueLabel(view, request));
    if (!recorded.journal.ok()) {
        ctx.io.err << "warning: this Apply cannot be undone: the journal could not be written: "
                   << recorded.journal.reason << '\n';
    }
    const patch::ApplyResult& result = recorded.apply;
    if (result.succeeded()) {
        ctx.io.out << result.message << '\n';
        return 0;
    }
    ctx.io.err << result.message << '\n';
    return 1;
}

}  // namespace

Command AddApply(CLI::App& program, bool& /*json*/) {
    auto args = std::make_shared<ApplyArguments>();
    CLI::App* apply = program.add_subcommand(
        "apply", "Apply one entry to the target, exactly as the window's Apply button does");
    apply->add_option("--target", args->target, "The target file, vplaces.exe")
        ->required()
        ->type_name("FILE");
    apply->add_option("ENTRY", args->entry, "Catalogue index from 0, or an exact title")
        ->required();
    apply->add_option("--option", args->option, "For a \"yn\" patch: the first or second option")
        ->type_name("1|2");
    apply
        ->add_option("--value", args->value,
                     "For a \"num\" or \"text\" patch: the value (default: the definition's)")
        ->type_name("TEXT");
    apply->footer(
        "Prints the window's message: on standard output with status 0 for \"Patch completed\n"
        "successfully\", on standard error with status 1 for every other outcome. A \"num\"\n"
        "value is read by the window's number rule; a warning says when that writes another\n"
        "number than the one typed.\n"
        "Examples:\n"
        "  korrin-patch apply --target ~/vp/vplaces.exe 1 --option 2\n"
        "  korrin-patch apply --target ~/vp/vplaces.exe \"Chat line length\" --value 1000");
    return {apply, [args](const Context& ctx) { return Apply(ctx, *args); }};
}

}  // namespace korrin::cli

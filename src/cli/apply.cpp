#include "cli/cli.h"
#include "common/latin1.h"
#include "journal/undo.h"

namespace korrin::cli {

int ApplyCommand(const Context& ctx, const ApplyArguments& args) {
    const Selected selected = SelectEntry(LoadCatalogue(ctx), args.entry);
    const catalogue::DefinitionView view = ReadEntryDefinition(ctx, selected.entry);
    // The window offers the option buttons or the value box, never both.
    const std::string which = "entry " + std::to_string(selected.index);
    if (view.showsOptions() && args.value) {
        throw UsageError(which + " is a \"yn\" patch: choose with --option 1 or 2, not --value");
    }
    if (!view.showsOptions() && args.option) {
        throw UsageError(which + " has no options: --option is for \"yn\" patches");
    }

    patch::ApplyRequest request = patch::ApplyRequest::ForDefinition(view);
    request.targetPath = args.target;
    request.secondOption = args.option == 2;
    // Typed text, as in the value box: one byte per character.
    if (args.value) request.value = Utf8ToLatin1(*args.value);

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

}  // namespace korrin::cli

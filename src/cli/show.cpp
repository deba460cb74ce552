#include <memory>

#include "cli/cli.h"
#include "cli/json.h"
#include "cli/style.h"
#include "cli/text.h"
#include "common/text.h"

namespace korrin::cli {
namespace {

std::string_view ModeName(bool orMode) {
    return orMode ? "or" : "and";
}

Json ShowJson(const Selected& selected, const catalogue::DefinitionView& view) {
    Json json = {{"index", selected.index},
                 {"title", TextJson(selected.entry.title)},
                 {"file", selected.entry.fileName},
                 {"read", view.read}};
    json["description"] = view.description ? TextJson(*view.description) : Json();
    json["kind"] = view.hasParam ? TextJson(view.valueKindText) : Json();
    if (view.showsOptions()) {
        Json options = Json::array();
        for (const auto* option : {&view.firstOption, &view.secondOption}) {
            Json bytes = Json::array();
            for (const std::string& item : SplitList((*option)->bytes, ',')) {
                bytes.push_back(TextJson(item));
            }
            options.push_back({{"caption", TextJson((*option)->caption)}, {"bytes", bytes}});
        }
        json["options"] = options;
    }
    if (view.hasParam && (view.valueKind == catalogue::ValueKind::kNumber ||
                          view.valueKind == catalogue::ValueKind::kText)) {
        json["default"] = view.valueText ? TextJson(*view.valueText) : Json();
    }
    if (view.locationList) {
        const catalogue::Locations locations = catalogue::SplitLocations(*view.locationList);
        json["mode"] = ModeName(locations.orMode);
        Json signatures = Json::array();
        for (const std::string& s : locations.signatures) signatures.push_back(TextJson(s));
        json["signatures"] = signatures;
    } else {
        json["mode"] = Json();
        json["signatures"] = Json::array();
    }
    json["complete"] = view.complete();
    Json problems = Json::array();
    for (const std::string& p : view.problems) problems.push_back(TextJson(p));
    json["problems"] = problems;
    return json;
}

void Field(std::ostream& out, std::string_view name, const std::string& value) {
    std::string label = std::string(name) + ":";
    label.resize(std::max<std::size_t>(label.size() + 1, 14), ' ');
    out << label << value << '\n';
}

void ShowText(const Context& ctx, const Selected& selected, const catalogue::DefinitionView& view) {
    std::ostream& out = ctx.io.out;
    const Style style(ctx.io.colour);
    Field(out, "Entry", std::to_string(selected.index));
    Field(out, "Title", style.Bold(Printable(selected.entry.title)));
    Field(out, "File", selected.entry.fileName);
    if (view.read) {
        Field(out, "Description",
              view.description ? Printable(*view.description) : "(none: the window shows none)");
        const bool knownKind = view.valueKind != catalogue::ValueKind::kUnknown;
        if (view.hasParam) {
            Field(out, "Kind",
                  knownKind ? Printable(view.valueKindText)
                            : QuotedPrintable(view.valueKindText) +
                                  ", not a kind Apply knows (yn, num, text): it patches nothing");
        }
        if (view.showsOptions()) {
            int number = 1;
            for (const auto* option : {&view.firstOption, &view.secondOption}) {
                const std::string& bytes = (*option)->bytes;
                Field(out, "Option " + std::to_string(number++),
                      QuotedPrintable((*option)->caption) + ", " +
                          (bytes.empty() ? "no bytes" : "bytes " + Printable(bytes)));
            }
        } else if (view.hasParam && (view.valueKind == catalogue::ValueKind::kNumber ||
                                     view.valueKind == catalogue::ValueKind::kText)) {
            if (view.valueText) Field(out, "Default", QuotedPrintable(*view.valueText));
        }
        if (view.locationList) {
            const catalogue::Locations locations = catalogue::SplitLocations(*view.locationList);
            Field(out, "Mode",
                  locations.orMode ? "or: at least one signature must be found"
                                   : "and: every signature must be found");
            int number = 1;
            for (const std::string& s : locations.signatures) {
                Field(out, "Signature " + std::to_string(number++), Printable(s));
            }
        }
    }
    for (const std::string& problem : view.problems) {
        Field(out, "Incomplete", style.Bad(Printable(problem)));
    }
}

int Show(const Context& ctx, const std::string& argument) {
    Selected selected;
    if (const Status status = SelectEntry(LoadCatalogue(ctx), argument, &selected); !status.ok()) {
        return UsageError(ctx, status.reason);
    }
    const catalogue::DefinitionView view = ReadEntryDefinition(ctx, selected.entry);
    if (ctx.json) {
        PrintJson(ctx.io.out, ShowJson(selected, view));
    } else {
        ShowText(ctx, selected, view);
    }
    return 0;
}

}  // namespace

Command AddShow(CLI::App& program, bool& json) {
    CLI::App* show =
        program.add_subcommand("show", "The definition of one entry, as the window reads it");
    JsonFlag(show, json);
    auto entry = std::make_shared<std::string>();
    show->add_option("ENTRY", *entry, "Catalogue index from 0, or an exact title")->required();
    show->footer(
        "Prints the description, the value kind, the options' captions and byte lists or the\n"
        "default value, the mode and the signatures; an incomplete definition says what it\n"
        "lacks.\n"
        "Examples:\n  korrin-patch show 0\n  korrin-patch show \"Window title\" --json");
    return {show, [entry](const Context& ctx) { return Show(ctx, *entry); }};
}

}  // namespace korrin::cli

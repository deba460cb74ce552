#include "cli/cli.h"
#include "cli/json.h"
#include "cli/text.h"

namespace korrin::cli {
namespace {

int List(const Context& ctx) {
    const std::vector<catalogue::CatalogueEntry> entries = LoadCatalogue(ctx);
    if (ctx.json) {
        Json list = Json::array();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            list.push_back({{"index", i},
                            {"title", TextJson(entries[i].title)},
                            {"file", entries[i].fileName}});
        }
        PrintJson(ctx.io.out, {{"folder", ctx.folder}, {"entries", list}});
        return 0;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ctx.io.out << i << '\t' << Printable(entries[i].title) << '\t' << entries[i].fileName
                   << '\n';
    }
    // An empty list is no error, but a folder given wrongly looks the same: say which was read.
    if (entries.empty()) {
        ctx.io.err << "korrin-patch list: no entries: no *.pat file in " << ctx.folder
                   << " has a \"patch:\" line\n";
    }
    return 0;
}

}  // namespace

Command AddList(CLI::App& program, bool& json) {
    CLI::App* list = program.add_subcommand(
        "list", "The catalogue, one INDEX<TAB>TITLE<TAB>FILE line per entry");
    JsonFlag(list, json);
    list->footer(
        "Entries come in the window's order.\nExample:\n  korrin-patch --folder ~/korrin list");
    return {list, List};
}

}  // namespace korrin::cli

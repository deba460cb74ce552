#include "cli/cli.h"
#include "cli/json.h"
#include "cli/text.h"

namespace korrin::cli {

int ListCommand(const Context& ctx, bool json) {
    const std::vector<catalogue::CatalogueEntry> entries = LoadCatalogue(ctx);
    if (json) {
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
    return 0;
}

}  // namespace korrin::cli

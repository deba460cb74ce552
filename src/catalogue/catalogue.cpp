#include "catalogue/catalogue.h"

#include <algorithm>

#include "catalogue/definition.h"
#include "common/text.h"

namespace korrin::catalogue {

std::optional<std::string> FileNameFromEntry(std::string_view entryText) {
    const std::size_t at = entryText.find(kEntryLink);
    if (at == std::string_view::npos) return std::nullopt;
    return std::string(entryText.substr(at + kEntryLink.size()));
}

DefinitionView ReadEntryDefinition(platform::FileSystem& fs, const std::string& folder,
                                   std::string_view entryText) {
    const std::optional<std::string> fileName = FileNameFromEntry(entryText);
    if (!fileName) {
        DefinitionView view;
        view.problems.push_back("its entry names no definition file");
        return view;
    }
    return ReadDefinition(fs, folder + *fileName);
}

std::vector<std::string> ListDefinitionFiles(platform::FileSystem& fs, const std::string& folder) {
    Status status;
    std::vector<std::string> names;
    for (std::string& name : fs.ListFiles(folder, &status)) {
        if (name.size() >= 4 && LowerCase(name.substr(name.size() - 4)) == ".pat") {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = LowerCase(a);
        const std::string lb = LowerCase(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

std::vector<CatalogueEntry> ScanCatalogue(platform::FileSystem& fs, const std::string& folder) {
    std::vector<CatalogueEntry> entries;
    for (const std::string& name : ListDefinitionFiles(fs, folder)) {
        std::string contents;
        if (!fs.ReadFile(folder + name, &contents).ok()) continue;
        for (const std::string& line : SplitLines(contents)) {
            KeyedLine keyed = ClassifyLine(line);
            if (keyed.key == Key::kPatch) entries.push_back({std::move(keyed.value), name});
        }
    }
    return entries;
}

}  // namespace korrin::catalogue

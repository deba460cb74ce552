#include "catalogue/definition.h"

#include "common/text.h"

namespace korrin::catalogue {
namespace {

struct KeyName {
    Key key;
    std::string_view name;
};

constexpr KeyName kKeys[] = {
    {Key::kPatch, "patch:"},
    {Key::kDescription, "description:"},
    {Key::kParam, "param:"},
    {Key::kLocation, "location:"},
};

}  // namespace

KeyedLine ClassifyLine(std::string_view line) {
    const std::string lower = LowerCase(line.substr(0, 12));
    for (const KeyName& k : kKeys) {
        if (StartsWith(lower, k.name)) return {k.key, std::string(line.substr(k.name.size()))};
    }
    return {};
}

YnOption SplitOption(std::string_view field) {
    const std::size_t colon = field.find(':');
    if (colon == std::string_view::npos) return {std::string(field), std::string()};
    return {std::string(field.substr(0, colon)), std::string(field.substr(colon + 1))};
}

Locations SplitLocations(std::string_view value) {
    Locations locations;
    locations.orMode = StartsWith(value, kOrPrefix);
    if (locations.orMode) value.remove_prefix(kOrPrefix.size());
    locations.signatures = SplitList(value, ',');
    return locations;
}

ValueKind KindFromText(std::string_view lowered) {
    if (lowered == "yn") return ValueKind::kYesNo;
    if (lowered == "num") return ValueKind::kNumber;
    if (lowered == "text") return ValueKind::kText;
    return ValueKind::kUnknown;
}

ParamValue ReadParam(std::string_view value) {
    const std::vector<std::string> fields = SplitList(value, '|');
    ParamValue param;
    param.kindText = fields.empty() ? std::string() : LowerCase(fields[0]);
    param.kind = KindFromText(param.kindText);
    if (param.kind == ValueKind::kYesNo) {
        param.firstOption = SplitOption(fields.size() > 1 ? fields[1] : "");
        param.secondOption = SplitOption(fields.size() > 2 ? fields[2] : "");
        if (fields.size() < 3) {
            param.problems.push_back("its \"param:\" line gives fewer than two options");
        } else if (fields[1].find(':') == std::string::npos ||
                   fields[2].find(':') == std::string::npos) {
            param.problems.push_back(
                "an option of its \"param:\" line has no \":\" before its bytes");
        }
    } else if (param.kind == ValueKind::kNumber || param.kind == ValueKind::kText) {
        if (fields.size() < 2) {
            param.problems.push_back("its \"param:\" line gives no default value");
        } else {
            param.valueText = fields[1];
        }
    } else if (fields.empty()) {
        param.problems.push_back("its \"param:\" line is empty");
    }
    return param;
}

DefinitionView ParseDefinition(std::string_view contents) {
    DefinitionView view;
    view.read = true;
    // Only the last "param:" line decides whether the value part is complete.
    std::vector<std::string> paramProblems;

    for (const std::string& line : SplitLines(contents)) {
        KeyedLine keyed = ClassifyLine(line);
        switch (keyed.key) {
            case Key::kDescription:
                view.description = std::move(keyed.value);
                break;
            case Key::kLocation:
                view.locationList = std::move(keyed.value);
                break;
            case Key::kParam: {
                ParamValue param = ReadParam(keyed.value);
                view.hasParam = true;
                view.valueKind = param.kind;
                view.valueKindText = std::move(param.kindText);
                if (param.firstOption) {
                    view.firstOption = std::move(param.firstOption);
                    view.secondOption = std::move(param.secondOption);
                }
                if (param.valueText) view.valueText = std::move(param.valueText);
                paramProblems = std::move(param.problems);
                break;
            }
            case Key::kPatch:
            case Key::kNone:
                break;
        }
    }

    if (!view.hasParam) view.problems.push_back("it has no \"param:\" line");
    view.problems.insert(view.problems.end(), paramProblems.begin(), paramProblems.end());
    if (!view.locationList) view.problems.push_back("it has no \"location:\" line");
    return view;
}

DefinitionView ReadDefinition(platform::FileSystem& fs, const std::string& path) {
    std::string contents;
    const Status status = fs.ReadFile(path, &contents);
    if (!status.ok()) {
        DefinitionView view;
        view.problems.push_back("its file cannot be read (" + status.reason + ")");
        return view;
    }
    return ParseDefinition(contents);
}

}  // namespace korrin::catalogue

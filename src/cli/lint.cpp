#include "lint/lint.h"

#include "cli/cli.h"
#include "cli/json.h"
#include "cli/style.h"
#include "cli/text.h"

namespace korrin::cli {

int LintCommand(const Context& ctx, bool json) {
    const std::vector<lint::FileLint> files = lint::LintFolder(ctx.fs, ctx.folder);
    std::size_t problems = 0;
    std::size_t filesWithProblems = 0;
    for (const lint::FileLint& file : files) {
        problems += file.findings.size();
        if (!file.findings.empty()) ++filesWithProblems;
    }

    if (json) {
        Json list = Json::array();
        for (const lint::FileLint& file : files) {
            Json findings = Json::array();
            for (const lint::LintFinding& f : file.findings) {
                findings.push_back({{"line", f.line == 0 ? Json() : Json(f.line)},
                                    {"code", f.code},
                                    {"message", TextJson(f.message)}});
            }
            list.push_back({{"file", file.fileName}, {"findings", findings}});
        }
        PrintJson(ctx.io.out, {{"folder", ctx.folder}, {"files", list}, {"problems", problems}});
        return problems == 0 ? 0 : 1;
    }

    const Style style(ctx.io.colour);
    for (const lint::FileLint& file : files) {
        for (const lint::LintFinding& f : file.findings) {
            std::string where = file.fileName;
            if (f.line != 0) where += ":" + std::to_string(f.line);
            ctx.io.out << style.Bold(where) << ": " << Printable(f.message) << " ["
                       << style.Warn(f.code) << "]\n";
        }
    }
    const std::string summary =
        problems == 0 ? "no problems in " + std::to_string(files.size()) + " definition files"
                      : std::to_string(problems) + (problems == 1 ? " problem" : " problems") +
                            " in " + std::to_string(filesWithProblems) + " of " +
                            std::to_string(files.size()) + " definition files";
    ctx.io.out << (problems == 0 ? style.Good(summary) : style.Bad(summary)) << '\n';
    return problems == 0 ? 0 : 1;
}

}  // namespace korrin::cli

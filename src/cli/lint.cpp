#include "lint/lint.h"

#include "cli/cli.h"
#include "cli/json.h"
#include "cli/style.h"
#include "cli/text.h"

namespace korrin::cli {

namespace {

int Lint(const Context& ctx) {
    const std::vector<lint::FileLint> files = lint::LintFolder(ctx.fs, ctx.folder);
    std::size_t problems = 0;
    std::size_t filesWithProblems = 0;
    for (const lint::FileLint& file : files) {
        problems += file.findings.size();
        if (!file.findings.empty()) ++filesWithProblems;
    }

    if (ctx.json) {
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
            if (f.line != 0) {
                where += ':';
                where += std::to_string(f.line);
            }
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

}  // namespace

Command AddLint(CLI::App& program, bool& json) {
    CLI::App* lint = program.add_subcommand(
        "lint", "What the window would pass over or misread in the definition files");
    JsonFlag(lint, json);
    lint->footer(
        "Reports missing and repeated keys, \"param:\" values that lack a field, unknown value\n"
        "kinds, hex that the decoder drops, empty signatures, option lists shorter than the\n"
        "signature list, titles the window cannot link to their file, lines ending in LF alone\n"
        "and byte-order marks. Status 1 when there is any finding.\n"
        "Each finding: FILE:LINE: message [code]. Lines count as an editor counts them.\n"
        "Example:\n  korrin-patch --folder ~/korrin lint");
    return {lint, Lint};
}

}  // namespace korrin::cli

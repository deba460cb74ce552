#pragma once

// The Windows window's controls under their given names: each is a child window whose control
// id is listed here, so that a test probe in another process finds a control by its name as the
// Qt tests find one by its objectName.

#include <string_view>

namespace korrin::win32 {

struct ControlName {
    std::string_view name;
    int id;
};

inline constexpr ControlName kControlNames[] = {
    {"Picture1", 100},     {"tabPick(0)", 110}, {"tabPick(1)", 111}, {"tabPick(2)", 112},
    {"tabPick(3)", 113},   {"lblTab(0)", 120},  {"lblTab(1)", 121},  {"lblTab(2)", 122},
    {"lblTab(3)", 123},    {"tabForm(0)", 130}, {"tabForm(1)", 131}, {"tabForm(2)", 132},
    {"Command1", 140},     {"txtAbout", 141},   {"pertotal", 142},   {"perDone", 143},
    {"txtUpdateUrl", 144}, {"ThreeD(0)", 150},  {"ThreeD(1)", 151},  {"ThreeD(2)", 152},
    {"ThreeD(3)", 153},    {"ThreeD(4)", 154},  {"ThreeD(5)", 155},  {"ThreeD(6)", 156},
    {"ThreeD(7)", 157},    {"lbl(0)", 160},     {"lbl(1)", 161},     {"lbl(2)", 162},
    {"lbl(3)", 163},       {"lbl(4)", 164},     {"Picture2", 170},   {"txtPickDIR", 171},
    {"txtDir", 172},       {"Label1", 173},     {"lstPatch", 180},   {"cmdApply", 181},
    {"txtValue", 182},     {"opOnOff(0)", 183}, {"opOnOff(1)", 184}, {"lblDescription", 190},
    {"lblBuild", 191},
};

inline constexpr int IdOf(std::string_view name) {
    for (const ControlName& control : kControlNames) {
        if (control.name == name) return control.id;
    }
    return 0;
}

}  // namespace korrin::win32

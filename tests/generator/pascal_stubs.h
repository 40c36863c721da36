// Free Pascal for the tests that compile generated units: where fpc is, and stub units that
// stand in for an application's forms. No test framework needed, so that GoogleTest and Qt Test
// programs share them.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "required_tools.h"

namespace parlix::testing {

// The path of fpc when it is on PATH, or empty.
inline std::string FindFpc() {
    return FindProgram("fpc");
}

// A stub unit that declares one form variable whose class has the published string properties
// Caption and Hint and the named components, each with the same two properties.
inline std::string FormUnit(const std::string& unitName, const std::string& form,
                            const std::vector<std::string>& components) {
    std::string fields;
    std::string creates;
    for (const std::string& component : components) {
        fields += "    " + component + ": TTextHolder;\n";
        creates += "  " + component + " := TTextHolder.Create;\n";
    }
    const std::string type = "T" + form;
    return "unit " + unitName +
           ";\n"
           "\n"
           "interface\n"
           "\n"
           "type\n"
           "  TTextHolder = class\n"
           "  private\n"
           "    FCaption, FHint: string;\n"
           "  published\n"
           "    property Caption: string read FCaption write FCaption;\n"
           "    property Hint: string read FHint write FHint;\n"
           "  end;\n"
           "\n"
           "  " +
           type +
           " = class(TTextHolder)\n"
           "  public\n" +
           fields +
           "    constructor Create;\n"
           "  end;\n"
           "\n"
           "var\n"
           "  " +
           form + ": " + type +
           ";\n"
           "\n"
           "implementation\n"
           "\n"
           "constructor " +
           type +
           ".Create;\n"
           "begin\n"
           "  inherited Create;\n" +
           creates +
           "end;\n"
           "\n"
           "initialization\n"
           "  " +
           form + " := " + type +
           ".Create;\n"
           "end.\n";
}

// The folders of the Lazarus component library's units for programs without a window system
// (Debian's lcl-units-2.2 and lcl-nogui-2.2), or nothing when they are not installed.
inline std::vector<std::string> FindLclUnits() {
    namespace fs = std::filesystem;
    std::error_code error;
    for (const auto& version : fs::directory_iterator("/usr/lib/lazarus", error)) {
        for (const auto& target : fs::directory_iterator(version.path() / "lcl/units", error)) {
            const fs::path lcl = target.path();
            const fs::path lazutils = version.path() / "components/lazutils/lib" / lcl.filename();
            if (fs::exists(lcl / "nogui/interfaces.ppu") && fs::exists(lcl / "stdctrls.ppu") &&
                fs::exists(lazutils / "lazutf8.ppu")) {
                return {(lcl / "nogui").string(), lcl.string(), lazutils.string()};
            }
        }
    }
    return {};
}

// A stub unit of the component library: the form is a panel (a real form needs a window
// system) holding a button and a label, created when the program starts.
inline std::string LclFormUnit(const std::string& unitName, const std::string& form) {
    const std::string type = "T" + form;
    return "unit " + unitName +
           ";\n"
           "\n"
           "interface\n"
           "\n"
           "uses ExtCtrls, StdCtrls;\n"
           "\n"
           "type\n"
           "  " +
           type +
           " = class(TPanel)\n"
           "  public\n"
           "    btOK: TButton;\n"
           "    lblInfo: TLabel;\n"
           "  end;\n"
           "\n"
           "var\n"
           "  " +
           form + ": " + type +
           ";\n"
           "\n"
           "implementation\n"
           "\n"
           "initialization\n"
           "  " +
           form + " := " + type +
           ".Create(nil);\n"
           "  " +
           form + ".btOK := TButton.Create(" + form +
           ");\n"
           "  " +
           form + ".lblInfo := TLabel.Create(" + form +
           ");\n"
           "end.\n";
}

// Compiles `program` (a .pas file in `folder`, with the units it uses beside it) with fpc in
// Delphi mode and the given defines (and unit folders), runs it and returns what it wrote.
// `log` receives the compiler's messages or the reason of a failure; false when compiling or
// running failed.
inline bool CompileAndRun(const std::string& fpc, const std::string& folder,
                          const std::string& program, const std::vector<std::string>& defines,
                          std::string& output, std::string& log,
                          const std::vector<std::string>& unitFolders = {}) {
    std::string options = "-Mdelphi -B";  // -B: every unit compiled anew
    for (const std::string& define : defines) {
        options += " -d" + define;
    }
    for (const std::string& unitFolder : unitFolders) {
        options += " -Fu'" + unitFolder + "'";
    }
    const std::string logFile = folder + "/fpc.log";
    const std::string outputFile = folder + "/output.txt";
    const std::string name = program.substr(0, program.rfind('.'));
    const std::string compile = "cd '" + folder + "' && '" + fpc + "' " + options + " -FU'" +
                                folder + "' -FE'" + folder + "' '" + program + "' >'" + logFile +
                                "' 2>&1";
    const int compiled = std::system(compile.c_str());
    std::ifstream messages(logFile, std::ios::binary);
    log.assign(std::istreambuf_iterator<char>(messages), std::istreambuf_iterator<char>());
    if (compiled != 0) {
        return false;
    }
    const std::string run = "'" + folder + "/" + name + "' >'" + outputFile + "' 2>&1";
    if (std::system(run.c_str()) != 0) {
        log += "\nthe program failed";
        return false;
    }
    std::ifstream written(outputFile, std::ios::binary);
    output.assign(std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace parlix::testing

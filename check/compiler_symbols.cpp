#include "check/compiler_symbols.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "check/pascal_names.h"

namespace parlix::check {

namespace {

// Whole families of symbols, by their start: Free Pascal defines FPC_* for its mode, features,
// ABI and version (FPC_DELPHI, FPC_HAS_FEATURE_CLASSES, FPC_FULLVERSION, ...), CPU* for the
// processor, its type and capabilities (CPU64, CPUX86_64, CPUATHLON64, CPUX86_HAS_SSE2,
// CPUARMHF, ...), FPU* for the floating-point unit (FPUSSE64, FPUSOFT, ...) and VER3, VER3_2,
// VER3_2_2; Delphi defines CPU386, CPUX86, CPUX64, CPU32BITS, CPU64BITS, CPUARM, CPUARM64, ...
// and VER80 up to VER360 and on.
constexpr std::string_view kFamilies[] = {
    "fpc_",
    "cpu",
    "fpu",
};
constexpr std::string_view kVersionFamily = "ver";  // followed by a digit

// Free Pascal's other symbols, lower case and sorted. From the compiler's source (3.2.2:
// the symbols and macros options.pas defines, and the targets' short names and extra defines
// in systems/*.pas), the targets of later versions (wasi, freertos, ...), Debian's
// /etc/fpc.cfg (needcrossbinutils when compiling for another platform), and what
// `fpc -Mdelphi -va` reports as defined for the targets of ppcx64 (linux, win64, darwin,
// freebsd, openbsd, netbsd, dragonfly, solaris, haiku, android, iphonesim, aros, embedded),
// which tests/check/compiles_property_test.cpp compares with this list.
constexpr std::string_view kFreePascalSymbols[] = {
    "_call_elf",
    "aix",
    "amiga",
    "amiga68k",
    "amigaos4",
    "amstradcpc",
    "android",
    "aros",
    "aros_abiv0",
    "aros_abiv1",
    "aros_bincompat",
    "atari",
    "beos",
    "bsd",
    "console",
    "darwin",
    "dpmi",
    "dragonfly",
    "embedded",
    "emx",
    "endian_big",
    "endian_little",
    "fpc",
    "freebsd",
    "freertos",
    "gba",
    "go32v2",
    "haiku",
    "hasamiga",
    "hasunix",
    "human68k",
    "internal_backtrace",
    "ios",
    "iphone_os_version_min_required",
    "iphonesim",
    "java",
    "libc",
    "linux",
    "linux6432",
    "mac_os_x_version_min_required",
    "macos",
    "macosclassic",
    "morphos",
    "msdos",
    "mswindows",
    "msxdos",
    "nativent",
    "nds",
    "needcrossbinutils",
    "netbsd",
    "netware",
    "netware_clib",
    "netware_libc",
    "netwlibc",
    "openbsd",
    "os2",
    "palmos",
    "pic",
    "ppc603",
    "regcall",
    "sinclairql",
    "solaris",
    "str_concat_procs",
    "sunos",
    "symbian",
    "under_ce",
    "unicode",
    "unix",
    "wasi",
    "watcom",
    "wdosx",
    "wii",
    "win16",
    "win32",
    "win64",
    "wince",
    "windows",
    "zxspectrum",
};

// Delphi's other symbols, lower case and sorted: the predefined conditionals of Delphi's
// documentation from Delphi 1 (windows) over Kylix (linux, elf, pc_mapped_exceptions) and
// Delphi for .NET (clr, cil, managedcode) to the current platforms. RTLVersion and
// CompilerVersion are constants for {$IF}, which {$IFDEF} does not see.
constexpr std::string_view kDelphiSymbols[] = {
    "align_stack",
    "android",
    "android32",
    "android64",
    "assembler",
    "autorefcount",
    "bcb",
    "cil",
    "clr",
    "conditionalexpressions",
    "console",
    "dcc",
    "elf",
    "externallinker",
    "ios",
    "ios32",
    "ios64",
    "iossimulator",
    "linux",
    "linux32",
    "linux64",
    "macos",
    "macos32",
    "macos64",
    "managedcode",
    "mswindows",
    "nativecode",
    "nextgen",
    "osx",
    "osx32",
    "osx64",
    "pc_mapped_exceptions",
    "pic",
    "posix",
    "posix32",
    "posix64",
    "underscoreimportname",
    "unicode",
    "weakinstref",
    "weakintfref",
    "weakref",
    "win32",
    "win64",
    "windows",
};

static_assert(std::is_sorted(std::begin(kFreePascalSymbols), std::end(kFreePascalSymbols)));
static_assert(std::is_sorted(std::begin(kDelphiSymbols), std::end(kDelphiSymbols)));

template <std::size_t n>
bool Contains(const std::string_view (&sorted)[n], std::string_view word) {
    return std::binary_search(std::begin(sorted), std::end(sorted), word);
}

}  // namespace

bool IsCompilerSymbol(std::string_view word) {
    std::string lower;
    AppendLowerAscii(lower, word);
    const std::string_view key = lower;
    for (const std::string_view family : kFamilies) {
        if (key.starts_with(family)) {
            return true;
        }
    }
    if (key.starts_with(kVersionFamily) && key.size() > kVersionFamily.size() &&
        key[kVersionFamily.size()] >= '0' && key[kVersionFamily.size()] <= '9') {
        return true;
    }
    return Contains(kFreePascalSymbols, key) || Contains(kDelphiSymbols, key);
}

}  // namespace parlix::check

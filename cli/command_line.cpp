#include "cli/command_line.h"

#include <new>

#include "table/errors.h"

namespace parlix::build_tool {

namespace {

// The option `arg` names, as "--name" or "--name=value" for one that takes a value.
const OptionSpec* Find(std::string_view arg, std::span<const OptionSpec> known) {
    for (const OptionSpec& option : known) {
        if (arg == option.name ||
            (option.takesValue && arg.starts_with(option.name) && arg[option.name.size()] == '=')) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

Call ReadCall(const std::vector<std::string>& args, std::span<const OptionSpec> known,
              const OptionSink& sink) {
    Call call;
    bool projectSeen = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (projectSeen) {
                throw UsageError{"mehr als eine Projektdatei angegeben"};
            }
            call.project = arg;
            projectSeen = true;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            call.help = true;
            return call;
        } else if (const OptionSpec* option = Find(arg, known)) {
            std::string value;
            if (!option->takesValue) {
                // a flag has no value
            } else if (arg.size() > option->name.size()) {
                value = arg.substr(option->name.size() + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                throw UsageError{std::string(option->name) + " braucht einen Wert"};
            }
            sink(option->name, value);
        } else {
            throw UsageError{"unbekannte Option \"" + arg + "\""};
        }
    }
    if (!projectSeen) {
        throw UsageError{"keine Projektdatei angegeben"};
    }
    return call;
}

void ReportFailure(std::ostream& err, const std::exception_ptr& failure) {
    err << "parlix-build: ";
    try {
        std::rethrow_exception(failure);
    } catch (const FaultError& error) {
        err << error.GetFault().Text();
    } catch (const std::bad_alloc&) {
        err << kOutOfMemory;
    } catch (const std::exception& error) {
        err << error.what();
    } catch (...) {
        err << "unbekannter Fehler";
    }
    err << '\n';
}

}  // namespace parlix::build_tool

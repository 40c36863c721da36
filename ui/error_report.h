// The general error report: an error that escapes an event handler ends that handler, is shown
// in a message box with its text, and the program goes on waiting for input. EAbort, the silent
// refusal of a table event handler, passes without a word.
//
// Qt does not let exceptions travel through its event loop, so every handler that can meet an
// error runs through RunHandler (or is connected through Handler).
#pragma once

#include <exception>
#include <type_traits>
#include <utility>

#include "ui/dialogs.h"

class QString;
class QWidget;

namespace parlix {

struct Fault;

// The text of a fault of the core in the windows: the one place where they turn one into
// their message.
QString FaultMessage(const Fault& fault);

// Shows `error` unless it is EAbort. Must not throw.
void ReportError(Dialogs& dialogs, QWidget* parent, const std::exception_ptr& error) noexcept;

template <typename Body>
void RunHandler(Dialogs& dialogs, QWidget* parent, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
        ReportError(dialogs, parent, std::current_exception());
    }
}

// A slot for QObject::connect that runs `body` under the general error report. The signal's
// arguments are passed on when `body` takes them.
template <typename Body>
auto Handler(Dialogs& dialogs, QWidget* parent, Body body) {
    return [&dialogs, parent, body = std::move(body)](auto&&... args) {
        RunHandler(dialogs, parent, [&] {
            if constexpr (std::is_invocable_v<const Body&, decltype(args)...>) {
                body(std::forward<decltype(args)>(args)...);
            } else {
                body();
            }
        });
    };
}

}  // namespace parlix

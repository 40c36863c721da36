#include "ui/error_report.h"

#include <QString>
#include <new>

#include "table/errors.h"

namespace parlix {

QString FaultMessage(const Fault& fault) {
    return QString::fromStdString(fault.Text());
}

void ReportError(Dialogs& dialogs, QWidget* parent, const std::exception_ptr& error) noexcept {
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (const FaultError& fault) {
        text = FaultMessage(fault.GetFault());
    } catch (const std::bad_alloc&) {
        text = QString::fromUtf8(kOutOfMemory);
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("Unbekannter Fehler");
    }
    try {
        dialogs.ShowMessage(parent, MessageKind::Error, text, MessageButtons::Ok);
    } catch (...) {
        // Nothing sensible is left to do when even the report fails.
    }
}

}  // namespace parlix

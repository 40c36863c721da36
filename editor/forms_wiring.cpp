#include "editor/forms_wiring.h"

#include <QAction>
#include <QEvent>
#include <QMenu>

#include "check/checks_panel.h"
#include "editor/checks_wiring.h"
#include "editor/main_window.h"
#include "formsync/form_sync.h"
#include "formsync/sync_flow.h"
#include "project/data_module.h"
#include "ui/error_report.h"

namespace parlix {

FormsWiring::FormsWiring(TfmMain& fmMain, Dialogs& dialogs)
    : QObject(&fmMain), fmMain_(fmMain), dialogs_(dialogs) {
    aSyncForms = new QAction(QStringLiteral("Mit &Formularen abgleichen..."), &fmMain_);
    aSyncForms->setObjectName(QStringLiteral("aSyncForms"));
    aSyncForms->setProperty("category", QStringLiteral("Projekt"));
    aSyncForms->setEnabled(false);
    fmMain_.Project1->addAction(aSyncForms);
    // Like the settings: with a project, not in translate mode.
    connect(fmMain_.aEditProject, &QAction::enabledChanged, aSyncForms, &QAction::setEnabled);
    connect(aSyncForms, &QAction::triggered, this, Handler(dialogs_, &fmMain_, [this] {
                if (flow_ != nullptr) {
                    flow_->aSyncFormsExecute();
                }
            }));
    fmMain_.installEventFilter(this);
}

FormsWiring::~FormsWiring() = default;

void FormsWiring::ConnectDataModule(Tdm1* dm1) {
    dm1_ = dm1;
    forms_.reset();
    flow_ = dm1 != nullptr ? std::make_unique<FormSyncFlow>(fmMain_, *dm1, dialogs_) : nullptr;
    if (flow_ != nullptr) {
        flow_->FormsRead = [this](std::shared_ptr<const forms::ProjectForms> forms) {
            forms_ = std::move(forms);
            source_ = formsync::FormsSourceOf(dm1_->State);
            fmMain_.Checks->Panel->ScheduleRefresh();
        };
    }
}

const forms::ProjectForms* FormsWiring::Current() {
    if (dm1_ == nullptr || dm1_->State.ProjectFileName.empty()) {
        return nullptr;
    }
    forms::ProjectFormsSource source = formsync::FormsSourceOf(dm1_->State);
    if (forms_ == nullptr || !(source == source_) || forms_->Changed()) {
        forms_ = std::make_shared<const forms::ProjectForms>(source);
        source_ = std::move(source);
    }
    return forms_.get();
}

bool FormsWiring::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &fmMain_ && event->type() == QEvent::WindowActivate && forms_ != nullptr &&
        forms_->Changed()) {
        fmMain_.Checks->Panel->ScheduleRefresh();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace parlix

// The application's forms in the main window: "Projekt" -> "Mit Formularen abgleichen..." and the
// forms the checks know. They are read when the checks first need them, and again for another
// project or other settings, after every sync, and when a form file changed (the user edited
// it in the form designer): the checks run again when the window becomes active then.
#pragma once

#include <QObject>
#include <memory>

#include "forms/project_forms.h"

class QAction;

namespace parlix {

class Dialogs;
class FormSyncFlow;
class Tdm1;
class TfmMain;

class FormsWiring : public QObject {
    Q_OBJECT
  public:
    // Adds the action to the menu "Projekt"; it is available when the settings are.
    FormsWiring(TfmMain& fmMain, Dialogs& dialogs);
    ~FormsWiring() override;

    // Syncs dm1's translation table from now on (nullptr: nothing).
    void ConnectDataModule(Tdm1* dm1);
    // The open project's forms, read again when they changed; null without a project.
    const forms::ProjectForms* Current();

    QAction* aSyncForms = nullptr;  // "Mit Formularen abgleichen..."

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TfmMain& fmMain_;
    Dialogs& dialogs_;
    Tdm1* dm1_ = nullptr;
    std::unique_ptr<FormSyncFlow> flow_;
    std::shared_ptr<const forms::ProjectForms> forms_;
    forms::ProjectFormsSource source_;  // where forms_ were read
};

}  // namespace parlix

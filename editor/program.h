// The program's start-up: the application with its German texts, and the windows and data
// created in their fixed order, which all live until the program ends.
#pragma once

#include <QApplication>
#include <memory>

namespace parlix {

class BuildFlow;
class Dialogs;
class ProjectFlows;
class Tdm1;
class TfmBuild;
class TfmEditProject;
class TfmMain;
class TfmTextInput;

// Loads Qt's German translations (buttons, dialogs, "Strg+" in short-cuts) and sets the German
// locale. Returns false when the translations are not installed.
bool InstallGermanTranslations(QCoreApplication& application);

// The application object. Errors that escape an event handler without passing through the
// general error report are caught here as a last resort and shown the same way.
class ParlixApplication : public QApplication {
  public:
    ParlixApplication(int& argc, char** argv);
    void SetDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }
    bool notify(QObject* receiver, QEvent* event) override;

  private:
    Dialogs* dialogs_ = nullptr;
};

// The main window fmMain, the settings dialog fmEditProject, the data module dm1, the build
// dialog fmBuild and the long-text dialog fmTextInput, created in this order; the grid and the
// navigator are bound to dm1 once it exists. fmMain is the application's main window: the
// program ends when it has closed.
class Program {
  public:
    explicit Program(Dialogs& dialogs);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    TfmMain& fmMain() { return *fmMain_; }
    TfmEditProject& fmEditProject() { return *fmEditProject_; }
    Tdm1& dm1() { return *dm1_; }
    TfmBuild& fmBuild() { return *fmBuild_; }
    TfmTextInput& fmTextInput() { return *fmTextInput_; }
    ProjectFlows& flows() { return *flows_; }
    BuildFlow& build() { return *build_; }

  private:
    std::unique_ptr<TfmMain> fmMain_;
    std::unique_ptr<TfmEditProject> fmEditProject_;
    std::unique_ptr<Tdm1> dm1_;
    std::unique_ptr<TfmBuild> fmBuild_;
    std::unique_ptr<TfmTextInput> fmTextInput_;
    std::unique_ptr<ProjectFlows> flows_;
    std::unique_ptr<BuildFlow> build_;
};

// Initialises the application, creates the windows, shows the main window and runs until it
// has closed.
int RunProgram(int argc, char** argv);

}  // namespace parlix

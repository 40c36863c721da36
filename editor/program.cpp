#include "editor/program.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "editor/main_window.h"
#include "editor/text_input_form.h"
#include "generator/build_flow.h"
#include "generator/build_form.h"
#include "project/data_module.h"
#include "project/edit_project_form.h"
#include "project/project_flows.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"

namespace parlix {

bool InstallGermanTranslations(QCoreApplication& application) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_de"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

ParlixApplication::ParlixApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Parlix LE"));
    // Desktops without an icon theme of their own still get tidy toolbar pictures.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
}

bool ParlixApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (dialogs_ != nullptr) {
            ReportError(*dialogs_, activeWindow(), std::current_exception());
        }
        return true;
    }
}

Program::Program(Dialogs& dialogs) {
    fmMain_ = std::make_unique<TfmMain>(dialogs);
    fmEditProject_ = std::make_unique<TfmEditProject>(dialogs, fmMain_.get());
    dm1_ = std::make_unique<Tdm1>(*fmMain_);
    fmBuild_ = std::make_unique<TfmBuild>(*dm1_, dialogs, fmMain_.get());
    fmTextInput_ = std::make_unique<TfmTextInput>(dialogs, fmMain_.get());
    flows_ = std::make_unique<ProjectFlows>(*fmMain_, *fmEditProject_, *dm1_, dialogs);
    fmMain_->ConnectDataModule(dm1_.get(), flows_.get());
    build_ = std::make_unique<BuildFlow>(*fmMain_, *fmBuild_, *dm1_, *flows_, dialogs);
    fmMain_->ConnectDialogs(build_.get(), fmTextInput_.get());
}

Program::~Program() {
    fmMain_->ConnectDialogs(nullptr, nullptr);
    fmMain_->ConnectDataModule(nullptr, nullptr);
    // The rest goes in reverse order of creation; the dialogs before their parent fmMain.
}

int RunProgram(int argc, char** argv) {
    ParlixApplication application(argc, argv);
    InstallGermanTranslations(application);
    QtDialogs dialogs;
    application.SetDialogs(&dialogs);
    Program program(dialogs);
    program.fmMain().show();
    const int result = application.exec();
    application.SetDialogs(nullptr);
    return result;
}

}  // namespace parlix

#include "project/project_files.h"

#include <gtest/gtest.h>

namespace parlix {
namespace {

TEST(ProjectFiles, TranslationTableFileSitsBesideTheProjectFile) {
    EXPECT_EQ(TranslationsFileNameFor("C:\\Work\\Demo.ppr"), "C:\\Work\\Demo_translations.ptf");
    EXPECT_EQ(TranslationsFileNameFor("C:\\Work\\Demo"), "C:\\Work\\Demo_translations.ptf");
    EXPECT_EQ(TranslationsFileNameFor("C:\\my.dir\\Demo"), "C:\\my.dir\\Demo_translations.ptf");
    EXPECT_EQ(TranslationsFileNameFor("/home/u/my.dir/Demo.x.ppr"),
              "/home/u/my.dir/Demo.x_translations.ptf");
}

TEST(ProjectFiles, SourceUnitIsFoundFromTheProjectFolder) {
    ProjectState state;
    state.ProjectFileName = "/work/app/Demo.ppr";
    state.SourceFileName = "units\\uTexte.pas";
    EXPECT_EQ(SourceFilePath(state), "/work/app/units/uTexte.pas");
    state.SourceFileName = "/abs/uTexte.pas";
    EXPECT_EQ(SourceFilePath(state), "/abs/uTexte.pas");
    state.SourceFileName =
        "\xFC"
        "bersetzung.pas";  // ü in Windows-1252
    EXPECT_EQ(SourceFilePath(state),
              "/work/app/\xC3\xBC"
              "bersetzung.pas");
}

TEST(UnitName, IsTheFileNameWithoutItsLastExtension) {
    EXPECT_EQ(UnitNameFor("C:\\Projekte\\Adressen\\uTexte.pas"), "uTexte");
    EXPECT_EQ(UnitNameFor("uTexte.de.pas"), "uTexte.de");
    EXPECT_EQ(UnitNameFor("uTexte"), "uTexte");
    EXPECT_EQ(UnitNameFor("/home/dev/app.v2/uTexte"), "uTexte");
    EXPECT_EQ(UnitNameFor("units/uTexte.pas"), "uTexte");
    EXPECT_EQ(UnitNameFor("D:uTexte.pas"), "uTexte");
    EXPECT_EQ(UnitNameFor("C:\\my.dir\\"), "");
    EXPECT_EQ(UnitNameFor(""), "");
}

TEST(ProjectFiles, RecordLayoutMatchesTheProjectFile) {
    PtfTable project;
    DefineProjectFields(project);
    ASSERT_EQ(project.FieldDefs().Count(), 12);
    EXPECT_EQ(project.FieldDefs()[0].Size(), 128);
    EXPECT_EQ(project.FieldDefs()[3].DataType(), FieldType::ftInteger);
    EXPECT_EQ(project.FieldDefs()[4].Size(), 255);
    EXPECT_EQ(project.FieldDefs()[11].Name(), "LastSave");
    project.CreateTable();
    project.Edit();
    SetIdentityFields(project);
    project.Post();
    EXPECT_EQ(project.FieldByName("ProgName").AsString(), "Parlix LE");
    EXPECT_EQ(FormatLastSave(0).size(), 19u);
}

}  // namespace
}  // namespace parlix

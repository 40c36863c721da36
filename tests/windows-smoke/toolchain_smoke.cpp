// Checks the pieces a Windows build of Parlix stands on: GoogleTest itself, expat as the XLIFF
// reader uses it (with DTD support, as on Linux), byte-exact binary files and std::thread.
#include <expat.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>

namespace {

void XMLCALL CollectText(void* data, const XML_Char* text, int length) {
    static_cast<std::string*>(data)->append(text, static_cast<std::size_t>(length));
}

TEST(WindowsToolchain, ExpatParsesUtf8AndResolvesInternalEntities) {
    bool dtd = false;
    for (const XML_Feature* feature = XML_GetFeatureList(); feature->feature != XML_FEATURE_END;
         ++feature) {
        dtd = dtd || feature->feature == XML_FEATURE_DTD;
    }
    EXPECT_TRUE(dtd);

    const std::string_view xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<!DOCTYPE t [<!ENTITY name \"Übersetzung\">]><t>&name; &#x65E5;</t>";
    XML_Parser parser = XML_ParserCreate(nullptr);
    std::string text;
    XML_SetUserData(parser, &text);
    XML_SetCharacterDataHandler(parser, CollectText);
    const XML_Status status = XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1);
    XML_ParserFree(parser);
    ASSERT_EQ(status, XML_STATUS_OK);
    EXPECT_EQ(text, "Übersetzung 日");  // UTF-8 in, UTF-8 out
}

TEST(WindowsToolchain, BinaryFilesKeepEveryByteAndThreadsRun) {
    const std::string bytes = "line 1\r\nline 2\nline 3\r\x1A\xFF";
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "parlix-toolchain-smoke.bin";
    std::thread writer([&] {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    });
    writer.join();
    std::ifstream in(path, std::ios::binary);
    const std::string read{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    std::filesystem::remove(path);
    EXPECT_EQ(read, bytes);
}

}  // namespace

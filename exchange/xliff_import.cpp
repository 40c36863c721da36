// The XLIFF reader, on expat: streaming, so that memory does not grow with the file, strict
// about well-formedness and encodings, and exact about the line of a fault.
#include <expat.h>

#include <algorithm>
#include <new>
#include <string_view>
#include <unordered_map>

#include "exchange/readers.h"
#include "exchange/text_codec.h"
#include "exchange/xliff_names.h"
#include "table/cp1252.h"
#include "table/file_io.h"
#include "table/text.h"

namespace parlix::exchange::detail {

namespace {

constexpr char kSeparator = ' ';  // between a name's namespace and its local part
constexpr std::size_t kChunk = std::size_t{1} << 20;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct Name {
    std::string_view space;
    std::string_view local;
};

Name Split(const XML_Char* name) {
    std::string_view all(name);
    const std::size_t cut = all.find(kSeparator);
    if (cut == std::string_view::npos) {
        return {{}, all};
    }
    return {all.substr(0, cut), all.substr(cut + 1)};
}

bool IsXliffSpace(std::string_view space) {
    return space.empty() || space == xliff::kNamespace12 || space == xliff::kNamespace11 ||
           space == xliff::kNamespace10;
}

const XML_Char* Attribute(const XML_Char** attributes, std::string_view name) {
    for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
        if (name == a[0]) {
            return a[1];
        }
    }
    return nullptr;
}

std::string_view PrimarySubtag(std::string_view code) {
    return code.substr(0, code.find_first_of("-_"));
}

class XliffReader {
  public:
    XliffReader(Planner& planner, const ImportOptions& options)
        : planner_(planner),
          options_(options),
          parser_(XML_ParserCreateNS(nullptr, kSeparator)),
          ids_(UnitIds(planner.Rows(), &rowOfId_)) {
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &XliffReader::OnStart, &XliffReader::OnEnd);
        XML_SetCharacterDataHandler(parser_, &XliffReader::OnText);
        XML_SetStartDoctypeDeclHandler(parser_, &XliffReader::OnDoctype);
        XML_SetUnknownEncodingHandler(parser_, &XliffReader::OnUnknownEncoding, this);
        XML_SetXmlDeclHandler(parser_, &XliffReader::OnXmlDecl);
    }
    ~XliffReader() { XML_ParserFree(parser_); }
    XliffReader(const XliffReader&) = delete;
    XliffReader& operator=(const XliffReader&) = delete;

    void Read(const ReadMore& read) {
        try {
            ReadAll(read);
        } catch (const std::bad_alloc&) {
            OutOfMemory();
        }
    }

  private:
    void ReadAll(const ReadMore& read) {
        std::uint64_t total = 0;
        for (;;) {
            void* buffer = XML_GetBuffer(parser_, static_cast<int>(kChunk));
            if (buffer == nullptr) {
                planner_.FailOutOfMemory(Line());
                return;
            }
            const std::size_t got = read(static_cast<char*>(buffer), kChunk);
            if (head_.size() < kUtf8Mark.size()) {
                head_.append(static_cast<char*>(buffer),
                             std::min(got, kUtf8Mark.size() - head_.size()));
            }
            total += got;
            if (total > options_.maxFileBytes) {
                planner_.Fail(0, "die Datei ist größer als " + Megabytes(options_.maxFileBytes));
                return;
            }
            if (XML_ParseBuffer(parser_, static_cast<int>(got), got == 0) != XML_STATUS_OK) {
                FailParse(got == 0);
                return;
            }
            if (planner_.Failed() || got == 0) {
                break;
            }
        }
        planner_.Finish();
    }

    int Line() const { return static_cast<int>(XML_GetCurrentLineNumber(parser_)); }

    void Stop(std::string message) {
        planner_.Fail(Line(), std::move(message));
        XML_StopParser(parser_, XML_FALSE);
    }

    void OutOfMemory() {
        target_ = {};
        context_ = {};
        locations_ = {};
        planner_.FailOutOfMemory(Line());
        XML_StopParser(parser_, XML_FALSE);
    }

    void FailParse(bool atEnd) {
        if (planner_.Failed()) {
            return;  // a handler stopped the parser
        }
        const XML_Error code = XML_GetErrorCode(parser_);
        std::string message;
        switch (code) {
            case XML_ERROR_NO_ELEMENTS:
                message = rootSeen_ ? "die Datei endet mitten im XML (abgeschnitten?)"
                                    : "die Datei enthält kein XML";
                break;
            case XML_ERROR_UNCLOSED_TOKEN:
            case XML_ERROR_UNCLOSED_CDATA_SECTION:
            case XML_ERROR_PARTIAL_CHAR:
                message = atEnd ? "die Datei endet mitten im XML (abgeschnitten?)"
                                : "kein wohlgeformtes XML (unvollständiges Zeichen)";
                break;
            case XML_ERROR_INVALID_TOKEN:
                message =
                    "ungültiges Zeichen: kein wohlgeformtes XML, oder die Datei ist nicht in "
                    "UTF-8 gespeichert";
                break;
            case XML_ERROR_INCORRECT_ENCODING:
                message = "die Datei ist nicht in der Zeichenkodierung, die sie angibt";
                break;
            case XML_ERROR_UNKNOWN_ENCODING:
                message = "die Zeichenkodierung \"" + encoding_ +
                          "\" wird nicht unterstützt (UTF-8, UTF-16, ISO-8859-1, Windows-1252)";
                break;
            case XML_ERROR_NO_MEMORY:
                message = kOutOfMemory;
                break;
            case XML_ERROR_TAG_MISMATCH:
                message = "das schließende Tag passt nicht zum offenen Element";
                break;
            default:
                message = std::string("kein wohlgeformtes XML (") + XML_ErrorString(code) + ")";
        }
        planner_.Fail(Line(), message);
    }

    static XliffReader& Of(void* data) { return *static_cast<XliffReader*>(data); }

    // Runs a handler for expat, which is C: no exception may leave it.
    template <typename Handler>
    static void Guarded(void* data, const Handler& handler) {
        XliffReader& reader = Of(data);
        try {
            handler(reader);
        } catch (const std::bad_alloc&) {
            reader.OutOfMemory();
        }
    }

    static void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        Guarded(data, [&](XliffReader& reader) { reader.Start(Split(name), attributes); });
    }
    static void OnEnd(void* data, const XML_Char*) {
        Guarded(data, [](XliffReader& reader) { reader.End(); });
    }
    static void OnText(void* data, const XML_Char* text, int length) {
        Guarded(data, [&](XliffReader& reader) {
            reader.Text(std::string_view(text, static_cast<std::size_t>(length)));
        });
    }
    static void OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        Guarded(data, [](XliffReader& reader) {
            reader.Stop("eine DOCTYPE-Deklaration ist in XLIFF-Dateien nicht erlaubt");
        });
    }
    // Expat lets a declared single-byte encoding win over a UTF-8 byte-order mark and reads the
    // UTF-8 bytes as Latin-1 ("Café" as "CafÃ©"); the two contradict each other.
    static void OnXmlDecl(void* data, const XML_Char*, const XML_Char* encoding, int) {
        Guarded(data, [encoding](XliffReader& reader) {
            if (reader.head_.starts_with(kUtf8Mark) && encoding != nullptr &&
                !SameText(encoding, "UTF-8")) {
                reader.Stop(
                    "die Datei beginnt mit der Byte-Reihenfolge-Markierung von UTF-8, gibt "
                    "aber die Zeichenkodierung \"" +
                    std::string(encoding) + "\" an");
            }
        });
    }
    static int OnUnknownEncoding(void* data, const XML_Char* name, XML_Encoding* info) {
        const std::string_view encoding(name);
        if (SameText(encoding, "windows-1252") || SameText(encoding, "cp1252") ||
            SameText(encoding, "x-cp1252")) {
            for (int b = 0; b < 256; ++b) {
                info->map[b] = static_cast<int>(Cp1252ToUnicode(static_cast<unsigned char>(b)));
            }
            info->data = nullptr;
            info->convert = nullptr;
            info->release = nullptr;
            return XML_STATUS_OK;
        }
        Guarded(data, [encoding](XliffReader& reader) { reader.encoding_ = encoding; });
        return XML_STATUS_ERROR;
    }

    void Start(Name name, const XML_Char** attributes) {
        ++depth_;
        if (!rootSeen_) {
            rootSeen_ = true;
            if (name.local == "xliff" && name.space == xliff::kNamespace20) {
                Stop("XLIFF 2 wird nicht unterstützt, nur XLIFF 1.2");
            } else if (name.local != "xliff" || !IsXliffSpace(name.space)) {
                Stop("keine XLIFF-Datei (das Wurzelelement ist <" + std::string(name.local) + ">)");
            }
            return;
        }
        if (targetDepth_ >= 0) {
            // Inline elements: <g> and <mrk> only wrap text; anything else stands for code.
            if (!IsXliffSpace(name.space) || (name.local != "g" && name.local != "mrk")) {
                target_.markup = true;
            }
            return;
        }
        if (ignoredDepth_ >= 0 || !IsXliffSpace(name.space)) {
            if (ignoredDepth_ < 0) {
                ignoredDepth_ = depth_;
            }
            return;
        }
        if (name.local == "file") {
            StartFile(attributes);
        } else if (name.local == "trans-unit") {
            StartUnit(attributes);
        } else if (unitDepth_ < 0) {
            return;
        } else if (name.local == "target" && depth_ == unitDepth_ + 1) {
            if (targetSeen_) {
                Stop("die Einheit \"" + id_ + "\" hat mehr als ein <target>");
                return;
            }
            targetSeen_ = true;
            targetDepth_ = depth_;
            const XML_Char* state = Attribute(attributes, "state");
            state_ = state != nullptr ? state : "";
        } else if (name.local == "alt-trans" || name.local == "source" ||
                   name.local == "seg-source") {
            ignoredDepth_ = depth_;  // alternatives carry targets of their own
        } else if (name.local == "context-group") {
            const XML_Char* group = Attribute(attributes, "name");
            if (group != nullptr && std::string_view(group) == "po-reference") {
                referenceDepth_ = depth_;
            }
        } else if (name.local == "context" && referenceDepth_ >= 0) {
            const XML_Char* type = Attribute(attributes, "context-type");
            if (type != nullptr && std::string_view(type) == "sourcefile") {
                contextDepth_ = depth_;
                context_.clear();
            }
        }
    }

    void StartFile(const XML_Char** attributes) {
        planner_.StartSection();
        const XML_Char* target = Attribute(attributes, "target-language");
        if (target != nullptr && !options_.targetCode.empty() &&
            !SameText(PrimarySubtag(target), PrimarySubtag(options_.targetCode))) {
            Stop("die Zielsprache der Datei ist \"" + std::string(target) +
                 "\", die des Projekts \"" + options_.targetCode + "\"");
            return;
        }
        const XML_Char* original = Attribute(attributes, "original");
        if (original != nullptr && !options_.original.empty()) {
            const std::string_view name = ExtractFileName(original);
            const bool table = name.size() > 4 && SameText(name.substr(name.size() - 4), ".ptf");
            if (table && !SameText(name, ExtractFileName(options_.original))) {
                Stop("die Datei gehört zur Übersetzungstabelle \"" + std::string(name) +
                     "\", nicht zu \"" + std::string(ExtractFileName(options_.original)) + "\"");
            }
        }
    }

    void StartUnit(const XML_Char** attributes) {
        if (unitDepth_ >= 0) {
            Stop("<trans-unit> in einer <trans-unit>");
            return;
        }
        unitDepth_ = depth_;
        unitLine_ = Line();
        const XML_Char* id = Attribute(attributes, "id");
        id_ = id != nullptr ? id : "";
        hasId_ = id != nullptr;
        // Passed over: a PO file's header, and units not meant for translation.
        const XML_Char* restype = Attribute(attributes, "restype");
        const XML_Char* translate = Attribute(attributes, "translate");
        skipUnit_ =
            (restype != nullptr && std::string_view(restype) == "x-gettext-domain-header") ||
            (translate != nullptr && std::string_view(translate) == "no");
        const XML_Char* approved = Attribute(attributes, "approved");
        approved_ = approved != nullptr ? approved : "";
        state_.clear();
        targetSeen_ = false;
        target_.text.clear();  // keeps its room for the next unit
        target_.isNull = target_.markup = target_.cut = false;
        locations_.clear();
    }

    void Text(std::string_view text) {
        std::string* into = targetDepth_ >= 0    ? &target_.text
                            : contextDepth_ >= 0 ? &context_
                                                 : nullptr;
        if (into == nullptr) {
            return;
        }
        if (into->size() + text.size() > kTextKeptBytes) {
            target_.cut = into == &target_.text || target_.cut;
            return;
        }
        into->append(text);
    }

    void End() {
        if (depth_ == targetDepth_) {
            targetDepth_ = -1;
        } else if (targetDepth_ >= 0) {
            // an inline element inside the target
        } else if (depth_ == ignoredDepth_) {
            ignoredDepth_ = -1;
        } else if (depth_ == contextDepth_) {
            contextDepth_ = -1;
            locations_.push_back(context_);
        } else if (depth_ == referenceDepth_) {
            referenceDepth_ = -1;
        } else if (depth_ == unitDepth_) {
            unitDepth_ = -1;
            EndUnit();
        }
        --depth_;
    }

    // A unit whose ids went through a PO file (po2xliff) names them in its po-reference
    // group; its own id is a number then.
    void EndUnit() {
        if (skipUnit_) {
            return;
        }
        if (locations_.empty()) {
            if (!hasId_) {
                Stop("<trans-unit> ohne id");
                return;
            }
            locations_.push_back(id_);
        }
        MarkTarget(target_, targetSeen_, approved_, state_);
        for (std::string& key : locations_) {
            int row = -1;
            if (ToCp1252(key, true, idBytes_) != Conversion::Unheld) {
                if (auto it = rowOfId_.find(std::string_view(idBytes_)); it != rowOfId_.end()) {
                    row = it->second;
                }
            }
            if (!planner_.Add(row, std::move(key), unitLine_, target_)) {
                XML_StopParser(parser_, XML_FALSE);
                return;
            }
        }
    }

    Planner& planner_;
    const ImportOptions& options_;
    XML_Parser parser_;
    RowOfId rowOfId_;  // views into ids_
    const std::vector<std::string> ids_;
    std::string encoding_;
    std::string head_;  // the file's first bytes: whether it starts with a byte-order mark

    int depth_ = 0;
    bool rootSeen_ = false;
    int ignoredDepth_ = -1;  // an element whose content does not matter
    int unitDepth_ = -1;
    int unitLine_ = 0;
    std::string id_;
    bool hasId_ = false;
    bool skipUnit_ = false;
    std::string approved_;  // the unit's attribute, empty when it has none
    std::string state_;     // the target's attribute, empty when it has none
    bool targetSeen_ = false;
    int targetDepth_ = -1;
    OfferedText target_;
    int referenceDepth_ = -1;
    int contextDepth_ = -1;
    std::string context_;
    std::vector<std::string> locations_;
    std::string idBytes_;
};

}  // namespace

void ReadXliff(const ReadMore& read, Planner& planner, const ImportOptions& options) {
    XliffReader reader(planner, options);
    reader.Read(read);
}

}  // namespace parlix::exchange::detail

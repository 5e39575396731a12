#include "platform/RtfReader.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Deeper nesting than any notes file needs; bounds the state stack.
constexpr int MaxGroupDepth = 200;

// Windows-1252's characters 0x80..0x9F; the rest of the code page is Latin-1.
const char16_t Cp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QChar FromCp1252(unsigned char c) {
    return c >= 0x80 && c < 0xA0 ? QChar(Cp1252High[c - 0x80]) : QChar(c);
}

struct TRtfState {
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    int HalfPoints = 24; // RTF's default size: 12 points
    int UnicodeSkip = 1; // characters after \u that stand in for it
    bool Skip = false;   // inside a destination that shows no text
    Qt::Alignment Align = Qt::AlignLeft;
};

class TRtfParser {
  public:
    explicit TRtfParser(std::string_view text) : FText(text) {}

    std::unique_ptr<QTextDocument> Run() {
        if (FText.substr(0, 5) != "{\\rtf") throw ERtfError("The text is not rich text (RTF).");
        auto document = std::make_unique<QTextDocument>();
        FCursor = QTextCursor(document.get());
        FStates.push_back(TRtfState{});
        ApplyBlockFormat();
        while (FPos < FText.size()) {
            const char c = FText[FPos++];
            switch (c) {
            case '{':
                if (int(FStates.size()) > MaxGroupDepth)
                    throw ERtfError("The rich text nests its groups too deeply.");
                FStates.push_back(FStates.back());
                FGroupStart = true;
                continue;
            case '}':
                Flush();
                if (FStates.size() > 1) FStates.pop_back();
                break;
            case '\\':
                ControlSymbol();
                break;
            case '\r':
            case '\n':
                break;
            default:
                AddChar(QChar(FromCp1252(static_cast<unsigned char>(c))));
                break;
            }
            FGroupStart = false;
        }
        Flush();
        return document;
    }

  private:
    TRtfState& State() { return FStates.back(); }

    void AddChar(QChar c) {
        if (FPendingSkip > 0) {
            --FPendingSkip;
            return;
        }
        if (State().Skip) return;
        if (!SameFormat(FTextState, State())) {
            Flush();
            FTextState = State();
        }
        FPending += c;
    }

    static bool SameFormat(const TRtfState& a, const TRtfState& b) {
        return a.Bold == b.Bold && a.Italic == b.Italic && a.Underline == b.Underline &&
               a.HalfPoints == b.HalfPoints;
    }

    // Writes the collected text in the format it was collected with.
    void Flush() {
        if (FPending.isEmpty()) return;
        QTextCharFormat format;
        format.setFontWeight(FTextState.Bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(FTextState.Italic);
        format.setFontUnderline(FTextState.Underline);
        format.setFontPointSize(FTextState.HalfPoints / 2.0);
        FCursor.insertText(FPending, format);
        FPending.clear();
    }

    void ApplyBlockFormat() {
        QTextBlockFormat block = FCursor.blockFormat();
        block.setAlignment(State().Align);
        FCursor.setBlockFormat(block);
    }

    void ControlSymbol() {
        if (FPos >= FText.size()) return;
        const char c = FText[FPos];
        if (std::isalpha(static_cast<unsigned char>(c))) {
            ControlWord();
            return;
        }
        ++FPos;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            AddChar(QChar(c));
            break;
        case '~':
            AddChar(QChar(0x00A0));
            break;
        case '_':
            AddChar(QChar(0x2011));
            break;
        case '\'': {
            if (FPos + 2 > FText.size()) return;
            const std::string hex(FText.substr(FPos, 2));
            FPos += 2;
            char* end = nullptr;
            const long value = std::strtol(hex.c_str(), &end, 16);
            if (end == hex.c_str() + 2) AddChar(FromCp1252(static_cast<unsigned char>(value)));
            break;
        }
        case '*':
            State().Skip = true; // an optional destination we do not know
            break;
        case '\r':
        case '\n':
            Paragraph();
            break;
        default:
            break; // \- (optional hyphen), \| and the like show nothing here
        }
    }

    void ControlWord() {
        const std::size_t start = FPos;
        while (FPos < FText.size() && std::isalpha(static_cast<unsigned char>(FText[FPos]))) ++FPos;
        const std::string word(FText.substr(start, FPos - start));
        bool hasParam = false;
        long param = 0;
        const std::size_t numberStart = FPos;
        if (FPos < FText.size() && FText[FPos] == '-') ++FPos;
        while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos])) &&
               FPos - numberStart < 10)
            ++FPos;
        if (FPos > numberStart && FText[FPos - 1] != '-') {
            hasParam = true;
            param =
                std::strtol(std::string(FText.substr(numberStart, FPos - numberStart)).c_str(), nullptr, 10);
        } else {
            FPos = numberStart;
        }
        if (FPos < FText.size() && FText[FPos] == ' ') ++FPos; // the delimiter belongs to the word
        Apply(word, hasParam, param);
    }

    void Paragraph() {
        FPendingSkip = 0;
        if (State().Skip) return;
        Flush();
        FCursor.insertBlock();
        ApplyBlockFormat();
    }

    void SetFlag(bool TRtfState::*flag, bool hasParam, long param) {
        State().*flag = !hasParam || param != 0;
    }

    void Apply(const std::string& word, bool hasParam, long param) {
        static const std::vector<std::string> hidden = {
            "fonttbl", "colortbl",  "stylesheet",        "info",     "pict", "header", "footer",
            "object",  "listtable", "listoverridetable", "generator"};
        if (FGroupStart) {
            for (const std::string& name : hidden)
                if (word == name) {
                    State().Skip = true;
                    return;
                }
        }
        if (word == "par") {
            Paragraph();
        } else if (word == "line") {
            if (!State().Skip) AddChar(QChar(QChar::LineSeparator));
        } else if (word == "tab") {
            AddChar(QChar('\t'));
        } else if (word == "b") {
            SetFlag(&TRtfState::Bold, hasParam, param);
        } else if (word == "i") {
            SetFlag(&TRtfState::Italic, hasParam, param);
        } else if (word == "ul") {
            SetFlag(&TRtfState::Underline, hasParam, param);
        } else if (word == "ulnone") {
            SetFlag(&TRtfState::Underline, true, 0);
        } else if (word == "fs") {
            // Sizes from 1 to 1638 points, as word processors allow.
            State().HalfPoints = hasParam && param >= 2 && param <= 3276 ? int(param) : 24;
        } else if (word == "plain") {
            State().Bold = State().Italic = State().Underline = false;
            State().HalfPoints = 24;
        } else if (word == "pard") {
            Flush();
            State().Align = Qt::AlignLeft;
            if (!State().Skip) ApplyBlockFormat();
        } else if (word == "ql" || word == "qc" || word == "qr" || word == "qj") {
            Flush();
            State().Align = word == "qc"   ? Qt::AlignHCenter
                            : word == "qr" ? Qt::AlignRight
                            : word == "qj" ? Qt::AlignJustify
                                           : Qt::AlignLeft;
            if (!State().Skip) ApplyBlockFormat();
        } else if (word == "uc") {
            State().UnicodeSkip = hasParam && param >= 0 && param <= 8 ? int(param) : 1;
        } else if (word == "u" && hasParam) {
            const long code = param < 0 ? param + 65536 : param;
            AddChar(QChar(char16_t(code & 0xFFFF)));
            FPendingSkip = State().UnicodeSkip;
        } else if (word == "bullet") {
            AddChar(QChar(0x2022));
        } else if (word == "emdash") {
            AddChar(QChar(0x2014));
        } else if (word == "endash") {
            AddChar(QChar(0x2013));
        } else if (word == "lquote") {
            AddChar(QChar(0x2018));
        } else if (word == "rquote") {
            AddChar(QChar(0x2019));
        } else if (word == "ldblquote") {
            AddChar(QChar(0x201C));
        } else if (word == "rdblquote") {
            AddChar(QChar(0x201D));
        }
        // Any other word (fonts, colours, margins, ...) leaves the text as it is.
        if (word != "u") FPendingSkip = 0;
    }

    std::string_view FText;
    std::size_t FPos = 0;
    std::vector<TRtfState> FStates;
    TRtfState FTextState; // the format of the text collected in FPending
    QString FPending;
    int FPendingSkip = 0;
    bool FGroupStart = false;
    QTextCursor FCursor;
};

} // namespace

std::unique_ptr<QTextDocument> ReadRtf(std::string_view rtf) {
    return TRtfParser(rtf).Run();
}

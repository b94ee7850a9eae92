#include "platform/xfile/x_file.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <vector>

#include "platform/regular_file.h"
#include "platform/xfile/x_file_internal.h"

namespace platform::xfile {

struct Template;

namespace {

// The largest X file read (far beyond any model's text).
constexpr std::uint64_t kMaxXFileBytes = std::uint64_t(256) << 20;

// ---- Tokens --------------------------------------------------------------------------

enum class Tok { End, Name, Int, Float, String, Guid, LBrace, RBrace, LBracket, RBracket, Separator, Other };

struct Token {
    Tok kind = Tok::End;
    std::string text;
    std::uint32_t line = 0;
};

struct ParseError {
    std::uint32_t line;
    std::string message;
};

[[noreturn]] void Fail(std::uint32_t line, const std::string& message) { throw ParseError{line, message}; }

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Shown(const Token& t) {
    switch (t.kind) {
        case Tok::End: return "the end of the file";
        case Tok::String: return "a string";
        default: {
            std::string text = t.text.size() > 40 ? t.text.substr(0, 40) + "..." : t.text;
            return "'" + text + "'";
        }
    }
}

std::vector<Token> Tokenize(const char* text, std::size_t size, std::uint32_t firstLine) {
    std::vector<Token> tokens;
    std::uint32_t line = firstLine;
    std::size_t i = 0;
    while (i < size) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        if (c == '#' || (c == '/' && i + 1 < size && text[i + 1] == '/')) {
            while (i < size && text[i] != '\n') ++i;
            continue;
        }
        Token t;
        t.line = line;
        const std::size_t start = i;
        if (IsNameStart(c)) {
            while (i < size && IsNameChar(text[i])) ++i;
            t.kind = Tok::Name;
        } else if (IsDigit(c) ||
                   ((c == '-' || c == '+' || c == '.') && i + 1 < size &&
                    (IsDigit(text[i + 1]) || (text[i + 1] == '.' && i + 2 < size && IsDigit(text[i + 2]))))) {
            bool real = false;
            ++i;
            while (i < size && (IsDigit(text[i]) || text[i] == '.' || text[i] == 'e' || text[i] == 'E' ||
                                ((text[i] == '-' || text[i] == '+') && (text[i - 1] == 'e' || text[i - 1] == 'E')))) {
                if (!IsDigit(text[i])) real = true;
                ++i;
            }
            if (c == '.') real = true;
            t.kind = real ? Tok::Float : Tok::Int;
        } else if (c == '"') {
            ++i;
            while (i < size && text[i] != '"' && text[i] != '\n') ++i;
            if (i >= size || text[i] != '"') Fail(line, "a string is not closed on its line");
            t.kind = Tok::String;
            t.text.assign(text + start + 1, i - start - 1);
            ++i;
            tokens.push_back(std::move(t));
            continue;
        } else if (c == '<') {
            while (i < size && text[i] != '>' && text[i] != '\n') ++i;
            if (i >= size || text[i] != '>') Fail(line, "an identifier in angle brackets is not closed on its line");
            ++i;
            t.kind = Tok::Guid;
        } else {
            ++i;
            switch (c) {
                case '{': t.kind = Tok::LBrace; break;
                case '}': t.kind = Tok::RBrace; break;
                case '[': t.kind = Tok::LBracket; break;
                case ']': t.kind = Tok::RBracket; break;
                case ';':
                case ',': t.kind = Tok::Separator; break;
                default: t.kind = Tok::Other; break;
            }
        }
        if (t.text.empty()) t.text.assign(text + start, i - start);
        tokens.push_back(std::move(t));
    }
    Token end;
    end.line = line;
    tokens.push_back(end);
    return tokens;
}

// ---- Templates -----------------------------------------------------------------------

// The standard templates, in the files' own declaration syntax.
constexpr const char* kStandardTemplates = R"(
template Header { <3D82AB43-62DA-11CF-AB39-0020AF71E433> WORD major; WORD minor; DWORD flags; }
template Vector { <3D82AB5E-62DA-11CF-AB39-0020AF71E433> FLOAT x; FLOAT y; FLOAT z; }
template Coords2d { <F6F23F44-7686-11CF-8F52-0040333594A3> FLOAT u; FLOAT v; }
template Matrix4x4 { <F6F23F45-7686-11CF-8F52-0040333594A3> array FLOAT matrix[16]; }
template ColorRGBA { <35FF44E0-6C7C-11CF-8F52-0040333594A3> FLOAT red; FLOAT green; FLOAT blue; FLOAT alpha; }
template ColorRGB { <D3E16E81-7835-11CF-8F52-0040333594A3> FLOAT red; FLOAT green; FLOAT blue; }
template IndexedColor { <1630B820-7842-11CF-8F52-0040333594A3> DWORD index; ColorRGBA indexColor; }
template Boolean { <4885AE61-78E8-11CF-8F52-0040333594A3> WORD truefalse; }
template Boolean2d { <4885AE63-78E8-11CF-8F52-0040333594A3> Boolean u; Boolean v; }
template MaterialWrap { <4885AE60-78E8-11CF-8F52-0040333594A3> Boolean u; Boolean v; }
template MeshFace { <3D82AB5F-62DA-11CF-AB39-0020AF71E433> DWORD nFaceVertexIndices; array DWORD faceVertexIndices[nFaceVertexIndices]; }
template MeshFaceWraps { <4885AE62-78E8-11CF-8F52-0040333594A3> DWORD nFaceWrapValues; array Boolean2d faceWrapValues[nFaceWrapValues]; }
template Material { <3D82AB4D-62DA-11CF-AB39-0020AF71E433> ColorRGBA faceColor; FLOAT power; ColorRGB specularColor; ColorRGB emissiveColor; [...] }
template TextureFilename { <A42790E1-7810-11CF-8F52-0040333594A3> STRING filename; }
template Mesh { <3D82AB44-62DA-11CF-AB39-0020AF71E433> DWORD nVertices; array Vector vertices[nVertices]; DWORD nFaces; array MeshFace faces[nFaces]; [...] }
template MeshNormals { <F6F23F43-7686-11CF-8F52-0040333594A3> DWORD nNormals; array Vector normals[nNormals]; DWORD nFaceNormals; array MeshFace faceNormals[nFaceNormals]; }
template MeshTextureCoords { <F6F23F40-7686-11CF-8F52-0040333594A3> DWORD nTextureCoords; array Coords2d textureCoords[nTextureCoords]; }
template MeshMaterialList { <F6F23F42-7686-11CF-8F52-0040333594A3> DWORD nMaterials; DWORD nFaceIndexes; array DWORD faceIndexes[nFaceIndexes]; [Material] }
template MeshVertexColors { <1630B821-7842-11CF-8F52-0040333594A3> DWORD nVertexColors; array IndexedColor vertexColors[nVertexColors]; }
template VertexDuplicationIndices { <B8D65549-D7C9-4995-89CF-53A9A8B031E3> DWORD nIndices; DWORD nOriginalVertices; array DWORD indices[nIndices]; }
template Frame { <3D82AB46-62DA-11CF-AB39-0020AF71E433> [...] }
template FrameTransformMatrix { <F6F23F41-7686-11CF-8F52-0040333594A3> Matrix4x4 frameMatrix; }
template XSkinMeshHeader { <3CF169CE-FF7C-44AB-93C0-F78F62D172E2> WORD nMaxSkinWeightsPerVertex; WORD nMaxSkinWeightsPerFace; WORD nBones; }
template SkinWeights { <6F0D123B-BAD2-4167-A0D0-80224F25FABB> STRING transformNodeName; DWORD nWeights; array DWORD vertexIndices[nWeights]; array FLOAT weights[nWeights]; Matrix4x4 matrixOffset; }
template FloatKeys { <10DD46A9-775B-11CF-8F52-0040333594A3> DWORD nValues; array FLOAT values[nValues]; }
template TimedFloatKeys { <F406B180-7B3B-11CF-8F52-0040333594A3> DWORD time; FloatKeys tfkeys; }
template AnimationKey { <10DD46A8-775B-11CF-8F52-0040333594A3> DWORD keyType; DWORD nKeys; array TimedFloatKeys keys[nKeys]; }
template AnimationOptions { <E2BF56C0-840F-11CF-8F52-0040333594A3> DWORD openclosed; DWORD positionquality; }
template Animation { <3D82AB4F-62DA-11CF-AB39-0020AF71E433> [...] }
template AnimationSet { <3D82AB50-62DA-11CF-AB39-0020AF71E433> [Animation] }
)";

const std::map<std::string, TemplateId>& StandardIds() {
    static const std::map<std::string, TemplateId> ids = {
        {"Header", TID_Header},
        {"Vector", TID_Vector},
        {"Coords2d", TID_Coords2d},
        {"Matrix4x4", TID_Matrix4x4},
        {"ColorRGBA", TID_ColorRGBA},
        {"ColorRGB", TID_ColorRGB},
        {"IndexedColor", TID_IndexedColor},
        {"Boolean", TID_Boolean},
        {"Boolean2d", TID_Boolean2d},
        {"MaterialWrap", TID_MaterialWrap},
        {"MeshFace", TID_MeshFace},
        {"MeshFaceWraps", TID_MeshFaceWraps},
        {"Material", TID_D3DRMMaterial},
        {"TextureFilename", TID_D3DRMTextureFilename},
        {"Mesh", TID_D3DRMMesh},
        {"MeshNormals", TID_D3DRMMeshNormals},
        {"MeshTextureCoords", TID_D3DRMMeshTextureCoords},
        {"MeshMaterialList", TID_D3DRMMeshMaterialList},
        {"MeshVertexColors", TID_D3DRMMeshVertexColors},
        {"VertexDuplicationIndices", TID_VertexDuplicationIndices},
        {"Frame", TID_D3DRMFrame},
        {"FrameTransformMatrix", TID_D3DRMFrameTransformMatrix},
        {"XSkinMeshHeader", TID_XSkinMeshHeader},
        {"SkinWeights", TID_SkinWeights},
        {"FloatKeys", TID_FloatKeys},
        {"TimedFloatKeys", TID_TimedFloatKeys},
        {"AnimationKey", TID_D3DRMAnimationKey},
        {"AnimationOptions", TID_D3DRMAnimationOptions},
        {"Animation", TID_D3DRMAnimation},
        {"AnimationSet", TID_D3DRMAnimationSet},
    };
    return ids;
}

enum class Prim { Word, Dword, SWord, SDword, Float, Double, Char, Uchar, Byte, String, Template };

struct Dim {
    std::uint32_t constant = 0;
    int member = -1;  // index of an earlier member holding the size
};

struct Member {
    Prim type = Prim::Dword;
    const Template* sub = nullptr;
    bool array = false;
    std::vector<Dim> dims;
    std::string name;
};

}  // namespace

struct Template {
    std::string name;
    TemplateId id = TID_Unknown;
    std::vector<Member> members;
    enum Openness { Closed, Open, Restricted } openness = Closed;
    std::vector<std::string> allowed;
};

struct Node {
    const Template* tmpl = nullptr;
    std::string name;
    std::string guid;
    std::uint32_t line = 0;
    bool reference = false;
    std::string targetName;
    std::string targetGuid;
    const Node* target = nullptr;
    std::vector<std::uint8_t> data;
    std::vector<std::uint32_t> valueLines;
    std::deque<std::string> strings;
    std::vector<std::unique_ptr<Node>> children;
};

struct ParsedFile {
    std::deque<Template> templates;
    std::map<std::string, Template*> byName;
    std::vector<std::unique_ptr<Node>> top;
    std::map<std::string, const Node*> named;
    std::map<std::string, const Node*> byGuid;
    TemplateId nextId = TID_FirstDeclared;
};

namespace {

constexpr int kMaxDepth = 64;

class Parser {
public:
    Parser(ParsedFile& file, std::vector<Token> tokens) : file_(file), tokens_(std::move(tokens)) {}

    void ParseFile() {
        while (Peek().kind != Tok::End) {
            SkipSeparators();
            const Token& t = Peek();
            if (t.kind == Tok::End) break;
            if (t.kind == Tok::Name && t.text == "template") {
                ParseTemplate();
            } else if (t.kind == Tok::Name) {
                file_.top.push_back(ParseObject(0));
            } else if (t.kind == Tok::LBrace) {
                Fail(t.line, "a reference outside any object");
            } else {
                Fail(t.line, "expected a template name, found " + Shown(t));
            }
        }
    }

private:
    const Token& Peek() const { return tokens_[pos_]; }
    const Token& Next() {
        const Token& t = tokens_[pos_];
        if (t.kind != Tok::End) ++pos_;
        return t;
    }
    void SkipSeparators() {
        while (Peek().kind == Tok::Separator) ++pos_;
    }
    const Token& Expect(Tok kind, const char* what) {
        const Token& t = Next();
        if (t.kind != kind) Fail(t.line, std::string("expected ") + what + ", found " + Shown(t));
        return t;
    }

    void ParseTemplate() {
        Next();  // "template"
        const Token& name = Expect(Tok::Name, "a template name");
        Template tmpl;
        tmpl.name = name.text;
        Expect(Tok::LBrace, "'{'");
        if (Peek().kind == Tok::Guid) Next();
        for (;;) {
            SkipSeparators();
            const Token& t = Peek();
            if (t.kind == Tok::RBrace) {
                Next();
                break;
            }
            if (t.kind == Tok::LBracket) {
                Next();
                ParseRestriction(&tmpl);
                continue;
            }
            if (t.kind != Tok::Name) Fail(t.line, "expected a member of template " + tmpl.name + ", found " + Shown(t));
            ParseMember(&tmpl);
        }
        // The standard templates are ours: a file that declares them again
        // (most exporters do) is read with our definition.
        if (file_.byName.count(tmpl.name)) return;
        const auto standard = StandardIds().find(tmpl.name);
        if (standard != StandardIds().end()) {
            tmpl.id = standard->second;
        } else {
            if (file_.nextId >= 0x7FFFFFFFu) Fail(name.line, "too many templates");
            tmpl.id = file_.nextId;
            file_.nextId = static_cast<TemplateId>(file_.nextId + 1);
        }
        file_.templates.push_back(std::move(tmpl));
        file_.byName[file_.templates.back().name] = &file_.templates.back();
    }

    void ParseRestriction(Template* tmpl) {
        if (Peek().kind == Tok::Other && Peek().text == ".") {
            // "[...]" arrives as three single dots.
            for (int i = 0; i < 3; ++i) {
                const Token& d = Next();
                if (d.kind != Tok::Other || d.text != ".") Fail(d.line, "expected '...' in a template restriction");
            }
            Expect(Tok::RBracket, "']'");
            tmpl->openness = Template::Open;
            return;
        }
        tmpl->openness = Template::Restricted;
        for (;;) {
            SkipSeparators();
            const Token& t = Next();
            if (t.kind == Tok::RBracket) return;
            if (t.kind == Tok::Name) {
                tmpl->allowed.push_back(t.text);
            } else if (t.kind != Tok::Guid) {
                Fail(t.line, "expected a template name in a restriction, found " + Shown(t));
            }
        }
    }

    void ParseMember(Template* tmpl) {
        Member m;
        const Token* t = &Next();
        if (t->text == "array") {
            m.array = true;
            t = &Next();
            if (t->kind != Tok::Name) Fail(t->line, "expected a member type, found " + Shown(*t));
        }
        static const std::map<std::string, Prim> kPrims = {
            {"WORD", Prim::Word},   {"DWORD", Prim::Dword},   {"SWORD", Prim::SWord},   {"SDWORD", Prim::SDword},
            {"FLOAT", Prim::Float}, {"DOUBLE", Prim::Double}, {"CHAR", Prim::Char},     {"UCHAR", Prim::Uchar},
            {"BYTE", Prim::Byte},   {"STRING", Prim::String}, {"CSTRING", Prim::String}};
        const auto prim = kPrims.find(t->text);
        if (prim != kPrims.end()) {
            m.type = prim->second;
        } else {
            const auto sub = file_.byName.find(t->text);
            if (sub == file_.byName.end()) Fail(t->line, "member type '" + t->text + "' is not a known template");
            if (sub->second->members.empty()) Fail(t->line, "member type '" + t->text + "' has no members");
            m.type = Prim::Template;
            m.sub = sub->second;
        }
        const Token& name = Expect(Tok::Name, "a member name");
        m.name = name.text;
        if (m.array) {
            while (Peek().kind == Tok::LBracket) {
                Next();
                const Token& d = Next();
                Dim dim;
                if (d.kind == Tok::Int) {
                    dim.constant = static_cast<std::uint32_t>(std::strtoul(d.text.c_str(), nullptr, 10));
                } else if (d.kind == Tok::Name) {
                    for (std::size_t i = 0; i < tmpl->members.size(); ++i) {
                        const Member& earlier = tmpl->members[i];
                        if (earlier.name == d.text && !earlier.array &&
                            (earlier.type == Prim::Dword || earlier.type == Prim::Word)) {
                            dim.member = static_cast<int>(i);
                        }
                    }
                    if (dim.member < 0) Fail(d.line, "array size '" + d.text + "' names no earlier count member");
                } else {
                    Fail(d.line, "expected an array size, found " + Shown(d));
                }
                Expect(Tok::RBracket, "']'");
                m.dims.push_back(dim);
            }
            if (m.dims.empty()) Fail(name.line, "array member '" + m.name + "' has no size");
        }
        tmpl->members.push_back(std::move(m));
    }

    std::unique_ptr<Node> ParseObject(int depth) {
        const Token& type = Next();
        if (depth >= kMaxDepth) Fail(type.line, "objects are nested too deeply");
        const auto found = file_.byName.find(type.text);
        if (found == file_.byName.end()) Fail(type.line, "unknown template '" + type.text + "'");
        auto node = std::make_unique<Node>();
        node->tmpl = found->second;
        node->line = type.line;
        if (Peek().kind == Tok::Name) node->name = Next().text;
        if (Peek().kind == Tok::Guid) node->guid = Next().text;
        Expect(Tok::LBrace, "'{'");
        ParseMembers(*node->tmpl, node.get(), depth);
        for (;;) {
            SkipSeparators();
            const Token& t = Peek();
            if (t.kind == Tok::RBrace) {
                Next();
                break;
            }
            if (t.kind == Tok::End) {
                Fail(t.line, "the file ends inside " + Describe(*node) + " (opened on line " +
                                 std::to_string(node->line) + ")");
            }
            if (t.kind == Tok::Int || t.kind == Tok::Float || t.kind == Tok::String) {
                Fail(t.line, "more values in " + Describe(*node) + " than its counts say");
            }
            if (node->tmpl->openness == Template::Closed) {
                Fail(t.line, Describe(*node) + " cannot hold other objects");
            }
            if (t.kind == Tok::LBrace) {
                node->children.push_back(ParseReference());
                continue;
            }
            if (t.kind != Tok::Name) Fail(t.line, "unexpected " + Shown(t) + " in " + Describe(*node));
            if (node->tmpl->openness == Template::Restricted) {
                bool allowed = false;
                for (const std::string& a : node->tmpl->allowed) allowed = allowed || a == t.text;
                if (!allowed) Fail(t.line, Describe(*node) + " cannot hold a " + t.text);
            }
            node->children.push_back(ParseObject(depth + 1));
        }
        if (!node->name.empty() && !file_.named.count(node->name)) file_.named[node->name] = node.get();
        if (!node->guid.empty() && !file_.byGuid.count(node->guid)) file_.byGuid[node->guid] = node.get();
        return node;
    }

    std::unique_ptr<Node> ParseReference() {
        const Token& open = Next();
        auto node = std::make_unique<Node>();
        node->reference = true;
        node->line = open.line;
        if (Peek().kind == Tok::Name) node->targetName = Next().text;
        if (Peek().kind == Tok::Guid) node->targetGuid = Next().text;
        if (node->targetName.empty() && node->targetGuid.empty()) Fail(open.line, "a reference names nothing");
        Expect(Tok::RBrace, "'}' closing a reference");
        return node;
    }

    static std::string Describe(const Node& node) {
        return node.name.empty() ? node.tmpl->name : node.tmpl->name + " '" + node.name + "'";
    }

    void ParseMembers(const Template& tmpl, Node* node, int depth) {
        if (depth + 1 >= kMaxDepth) Fail(Peek().line, "templates are nested too deeply");
        std::vector<std::uint64_t> counts(tmpl.members.size(), 0);
        for (std::size_t i = 0; i < tmpl.members.size(); ++i) {
            const Member& m = tmpl.members[i];
            std::uint64_t n = 1;
            if (m.array) {
                for (const Dim& d : m.dims) {
                    const std::uint64_t size = d.member >= 0 ? counts[static_cast<std::size_t>(d.member)] : d.constant;
                    n = (size != 0 && n > (std::uint64_t{1} << 40) / size) ? (std::uint64_t{1} << 40) : n * size;
                }
            }
            for (std::uint64_t k = 0; k < n; ++k) {
                const std::size_t before = pos_;
                const std::uint64_t value = ParseValue(m, node, depth);
                if (!m.array) counts[i] = value;
                // An element of no values (a template of empty arrays) reads
                // nothing however often it is repeated.
                if (pos_ == before) break;
            }
        }
    }

    // Reads one value of the member's type (a whole nested template for a
    // template member); gives back an integer's value.
    std::uint64_t ParseValue(const Member& m, Node* node, int depth) {
        if (m.type == Prim::Template) {
            ParseMembers(*m.sub, node, depth + 1);
            return 0;
        }
        SkipSeparators();
        const Token& t = Next();
        const std::string what = "'" + m.name + "' of " + Describe(*node);
        auto put = [&](const void* bytes, std::size_t size) {
            const auto* b = static_cast<const std::uint8_t*>(bytes);
            node->data.insert(node->data.end(), b, b + size);
            node->valueLines.push_back(t.line);
        };
        auto notNumber = [&](const char* kind) {
            if (t.kind == Tok::RBrace || t.kind == Tok::End || t.kind == Tok::Name || t.kind == Tok::LBrace) {
                Fail(t.line, std::string("expected ") + kind + " for " + what + ", found " + Shown(t) +
                                 " (fewer values than the counts say)");
            }
            Fail(t.line, std::string("expected ") + kind + " for " + what + ", found " + Shown(t));
        };
        switch (m.type) {
            case Prim::String: {
                if (t.kind != Tok::String) notNumber("a string");
                node->strings.push_back(t.text);
                const char* p = node->strings.back().c_str();
                put(&p, sizeof p);
                return 0;
            }
            case Prim::Float:
            case Prim::Double: {
                if (t.kind != Tok::Int && t.kind != Tok::Float) notNumber("a number");
                char* end = nullptr;
                const double d = std::strtod(t.text.c_str(), &end);
                if (end == t.text.c_str() || *end != '\0') Fail(t.line, "'" + t.text + "' is not a number");
                if (!std::isfinite(d) || (m.type == Prim::Float && std::fabs(d) > 3.4e38)) {
                    Fail(t.line, "the number '" + t.text + "' for " + what + " is out of range");
                }
                if (m.type == Prim::Float) {
                    const float f = static_cast<float>(d);
                    put(&f, sizeof f);
                } else {
                    put(&d, sizeof d);
                }
                return 0;
            }
            default: break;
        }
        if (t.kind != Tok::Int) notNumber("a whole number");
        const bool negative = t.text[0] == '-';
        const char* digits = t.text.c_str() + ((t.text[0] == '-' || t.text[0] == '+') ? 1 : 0);
        if (*digits == '\0' || std::strlen(digits) > 12) Fail(t.line, "the number '" + t.text + "' is out of range");
        const std::uint64_t magnitude = std::strtoull(digits, nullptr, 10);
        std::uint64_t limit = 0xFFFFFFFFu;
        switch (m.type) {
            case Prim::Word: limit = 0xFFFF; break;
            case Prim::SWord: limit = negative ? 0x8000 : 0x7FFF; break;
            case Prim::SDword: limit = negative ? 0x80000000u : 0x7FFFFFFFu; break;
            case Prim::Char:
            case Prim::Uchar:
            case Prim::Byte: limit = 0xFF; break;
            default: break;
        }
        const bool isSigned = m.type == Prim::SWord || m.type == Prim::SDword || m.type == Prim::Char;
        if ((negative && !isSigned && magnitude != 0) || magnitude > limit) {
            Fail(t.line, "the number '" + t.text + "' for " + what + " is out of range");
        }
        const std::int64_t value =
            negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
        switch (m.type) {
            case Prim::Word:
            case Prim::SWord: {
                const auto v = static_cast<std::uint16_t>(value);
                put(&v, 2);
                break;
            }
            case Prim::Char:
            case Prim::Uchar:
            case Prim::Byte: {
                const auto v = static_cast<std::uint8_t>(value);
                put(&v, 1);
                break;
            }
            default: {
                const auto v = static_cast<std::uint32_t>(value);
                put(&v, 4);
                break;
            }
        }
        return negative ? 0 : magnitude;
    }

    ParsedFile& file_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
};

void ResolveReferences(ParsedFile& file, Node* node) {
    for (auto& child : node->children) {
        if (child->reference) {
            const Node* target = nullptr;
            if (!child->targetName.empty()) {
                const auto found = file.named.find(child->targetName);
                if (found != file.named.end()) target = found->second;
            } else {
                const auto found = file.byGuid.find(child->targetGuid);
                if (found != file.byGuid.end()) target = found->second;
            }
            if (!target) {
                Fail(child->line, "the reference to '" +
                                      (child->targetName.empty() ? child->targetGuid : child->targetName) +
                                      "' names no object of the file");
            }
            child->target = target;
            if (node->tmpl->openness == Template::Restricted) {
                bool allowed = false;
                for (const std::string& a : node->tmpl->allowed) allowed = allowed || a == target->tmpl->name;
                if (!allowed) Fail(child->line, node->tmpl->name + " cannot refer to a " + target->tmpl->name);
            }
        } else {
            ResolveReferences(file, child.get());
        }
    }
}

// Keys of the types the loaders read must carry the number of values their type has.
void CheckAnimationKey(const Node* node) {
    ValueCursor cursor(node);
    std::uint32_t type = 0, count = 0;
    if (!cursor.U32(&type) || !cursor.U32(&count)) Fail(node->line, "an AnimationKey without its counts");
    std::uint32_t expected = 0;
    switch (type) {
        case 0: expected = 4; break;
        case 1:
        case 2: expected = 3; break;
        case 4: expected = 16; break;
        default: return;
    }
    for (std::uint32_t k = 0; k < count; ++k) {
        std::uint32_t time = 0, values = 0;
        if (!cursor.U32(&time) || !cursor.U32(&values)) Fail(node->line, "an AnimationKey ends early");
        if (values != expected) {
            Fail(cursor.Line(), "key " + std::to_string(k) + " of an AnimationKey of type " + std::to_string(type) +
                                    " has " + std::to_string(values) + " values, not " + std::to_string(expected));
        }
        float f;
        for (std::uint32_t v = 0; v < values; ++v) cursor.F32(&f);
    }
}

void CheckObjects(const Node* node) {
    if (node->reference) return;
    if (node->tmpl->id == TID_D3DRMAnimationKey) CheckAnimationKey(node);
    if (node->tmpl->id == TID_D3DRMMesh) {
        std::uint32_t line = 0;
        std::string message;
        if (!CheckMeshNode(node, &line, &message)) Fail(line, message);
    }
    for (const auto& child : node->children) CheckObjects(child.get());
}

}  // namespace

// ---- Objects -------------------------------------------------------------------------

DWORD DirectXFileObject::AddRef() { return ++refs_; }

DWORD DirectXFileObject::Release() {
    const DWORD left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT DirectXFileObject::GetName(char* buffer, DWORD* length) const {
    if (!length) return DXFILEERR_BADVALUE;
    const std::string& name =
        node_->reference ? (node_->target ? node_->target->name : node_->targetName) : node_->name;
    if (!buffer) {
        *length = name.empty() ? 0 : static_cast<DWORD>(name.size() + 1);
        return DXFILE_OK;
    }
    if (*length == 0) return DXFILEERR_BADVALUE;
    const std::size_t n = std::min<std::size_t>(name.size(), *length - 1);
    std::memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
    *length = static_cast<DWORD>(n + 1);
    return DXFILE_OK;
}

HRESULT DirectXFileObject::QueryInterface(InterfaceId iid, void** out) {
    if (!out) return DXFILEERR_BADVALUE;
    *out = nullptr;
    const bool ok = iid == IID_IDirectXFileObject || (iid == IID_IDirectXFileData && !node_->reference) ||
                    (iid == IID_IDirectXFileDataReference && node_->reference);
    if (!ok) return DXFILEERR_BADINTERFACE;
    AddRef();
    if (iid == IID_IDirectXFileData) {
        *out = static_cast<DirectXFileData*>(this);
    } else if (iid == IID_IDirectXFileDataReference) {
        *out = static_cast<DirectXFileDataReference*>(this);
    } else {
        *out = this;
    }
    return DXFILE_OK;
}

std::uint32_t DirectXFileObject::Line() const { return node_->line; }

HRESULT DirectXFileData::GetType(TemplateId* out) const {
    if (!out) return DXFILEERR_BADVALUE;
    *out = node_->tmpl->id;
    return DXFILE_OK;
}

HRESULT DirectXFileData::GetData(const char* member, DWORD* size, void** data) const {
    if (!size || !data) return DXFILEERR_BADVALUE;
    if (member) return DXFILEERR_NOTFOUND;
    *size = static_cast<DWORD>(node_->data.size());
    *data = node_->data.empty() ? nullptr : const_cast<std::uint8_t*>(node_->data.data());
    return DXFILE_OK;
}

HRESULT DirectXFileData::GetNextObject(DirectXFileObject** out) {
    if (!out) return DXFILEERR_BADVALUE;
    *out = nullptr;
    if (nextChild_ >= node_->children.size()) return DXFILEERR_NOMOREOBJECTS;
    const Node* child = node_->children[nextChild_++].get();
    if (child->reference) {
        *out = new DirectXFileDataReference(file_, child);
    } else {
        *out = new DirectXFileData(file_, child);
    }
    return DXFILE_OK;
}

HRESULT DirectXFileDataReference::Resolve(DirectXFileData** out) const {
    if (!out) return DXFILEERR_BADVALUE;
    *out = nullptr;
    if (!node_->target) return DXFILEERR_NOTFOUND;
    *out = new DirectXFileData(file_, node_->target);
    return DXFILE_OK;
}

DWORD DirectXFileEnumObject::AddRef() { return ++refs_; }

DWORD DirectXFileEnumObject::Release() {
    const DWORD left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT DirectXFileEnumObject::GetNextDataObject(DirectXFileData** out) {
    if (!out) return DXFILEERR_BADVALUE;
    *out = nullptr;
    if (next_ >= file_->top.size()) return DXFILEERR_NOMOREOBJECTS;
    *out = new DirectXFileData(file_, file_->top[next_++].get());
    return DXFILE_OK;
}

// ---- Opening -------------------------------------------------------------------------

namespace {

std::shared_ptr<ParsedFile> StandardFile() {
    auto file = std::make_shared<ParsedFile>();
    Parser parser(*file, Tokenize(kStandardTemplates, std::strlen(kStandardTemplates), 1));
    parser.ParseFile();
    return file;
}

}  // namespace

DirectXFileEnumObject* CreateEnumObjectFromMemory(const void* data, std::size_t size, const char* name,
                                                  std::string* error) {
    const std::string shown = name ? name : "X file";
    auto refuse = [&](const std::string& message) -> DirectXFileEnumObject* {
        if (error) *error = shown + ": " + message;
        return nullptr;
    };
    const char* text = static_cast<const char*>(data);
    if (!text || size < 16) return refuse("too short for an X file header");
    if (std::memcmp(text, "xof ", 4) != 0) return refuse("not an X file (no \"xof \" header)");
    for (int i = 4; i < 8; ++i) {
        if (!IsDigit(text[i])) return refuse("the header's version is not a number");
    }
    const std::string format(text + 8, 4);
    if (format == "bin ") return refuse("binary X files are not supported; save the file in the text form");
    if (format == "tzip" || format == "bzip") {
        return refuse("compressed X files are not supported; save the file in the uncompressed text form");
    }
    if (format != "txt ") return refuse("unknown X file format '" + format + "'");
    const std::string floatSize(text + 12, 4);
    if (floatSize != "0032" && floatSize != "0064")
        return refuse("unknown float size '" + floatSize + "' in the header");
    try {
        std::shared_ptr<ParsedFile> file = StandardFile();
        Parser parser(*file, Tokenize(text + 16, size - 16, 1));
        parser.ParseFile();
        for (auto& node : file->top) ResolveReferences(*file, node.get());
        for (auto& node : file->top) CheckObjects(node.get());
        return new DirectXFileEnumObject(std::move(file));
    } catch (const ParseError& e) {
        return refuse("line " + std::to_string(e.line) + ": " + e.message);
    } catch (const std::bad_alloc&) {
        return refuse("out of memory");
    }
}

DirectXFileEnumObject* CreateEnumObjectFromFile(const char* path, std::string* error) {
    const std::string shown = path ? path : "";
    std::vector<std::uint8_t> bytes;
    FileOpenError openError;
    std::uint64_t size = 0;
    if (!path || !ReadRegularFile(shown, kMaxXFileBytes, bytes, &openError, &size)) {
        if (error) *error = shown + ": cannot open the file" + (path ? " (" + openError.reason + ")" : "");
        return nullptr;
    }
    if (size > kMaxXFileBytes) {
        if (error) *error = shown + ": the file is too large (" + std::to_string(size) + " bytes)";
        return nullptr;
    }
    return CreateEnumObjectFromMemory(reinterpret_cast<const char*>(bytes.data()), bytes.size(), path, error);
}

// ---- Values --------------------------------------------------------------------------

ValueCursor::ValueCursor(const Node* node) : node_(node) {
    if (node_) line_ = node_->line;
}

bool ValueCursor::Take(std::size_t bytes, void* out) {
    if (!node_ || offset_ > node_->data.size() || node_->data.size() - offset_ < bytes) {
        offset_ = node_ ? node_->data.size() + 1 : 1;
        return false;
    }
    std::memcpy(out, node_->data.data() + offset_, bytes);
    offset_ += bytes;
    if (value_ < node_->valueLines.size()) line_ = node_->valueLines[value_];
    ++value_;
    return true;
}

bool ValueCursor::U32(std::uint32_t* out) { return Take(4, out); }
bool ValueCursor::U16(std::uint16_t* out) { return Take(2, out); }
bool ValueCursor::F32(float* out) { return Take(4, out); }
bool ValueCursor::Str(const char** out) { return Take(sizeof(const char*), out); }

TemplateId NodeType(const Node* node) { return node && !node->reference ? node->tmpl->id : TID_Unknown; }
const char* NodeName(const Node* node) { return node ? node->name.c_str() : ""; }
std::uint32_t NodeLine(const Node* node) { return node ? node->line : 0; }
std::size_t NodeChildCount(const Node* node) { return node ? node->children.size() : 0; }

const Node* NodeChild(const Node* node, std::size_t index) {
    if (!node || index >= node->children.size()) return nullptr;
    const Node* child = node->children[index].get();
    return child->reference ? child->target : child;
}

bool NodeChildIsReference(const Node* node, std::size_t index) {
    return node && index < node->children.size() && node->children[index]->reference;
}

}  // namespace platform::xfile

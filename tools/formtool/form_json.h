#pragma once
// The JSON form of a raw form description, shared by formtool and the build
// step that turns the stored forms into bytes:
//
//   [ {"class": "TForm1", "name": "Form1",
//      "props": [["Left", "vaInt8", 0], ["Caption", "vaString", "Form1"], ...],
//      "children": [ records ] } ]
//
// Values: numbers for integer and float tags (a float that is no number is
// "NaN", "Infinity" or "-Infinity"; vaCurrency is the amount), text for
// strings and identifiers, true/false, a list of element names for sets,
// upper-case hex for binary payloads, a list of items (each a list of
// [path, tag, value]; an item stored with an index is {"index": n, "props": [...]})
// for collections, a list of [tag, value] for vaList, null for vaNull and vaNil.
// A record with a prefix also has "flags" (["ffInherited", ...]) and, with
// ffChildPos, "childPos".
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "components/form_format_tree.h"
#include "core/ustring.h"

namespace formjson {

using json = nlohmann::ordered_json;
using components::TRawComponent;
using components::TRawItem;
using components::TRawProp;
using components::TRawValue;
using components::TValueType;

class JsonFormError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace detail {

inline constexpr const char* kFlagNames[] = {"ffInherited", "ffChildPos", "ffInline"};

inline std::string U8(const std::u16string& s) { return core::ToUtf8(s); }

inline json FloatToJson(double v)
{
    if (std::isnan(v))
        return "NaN";
    if (std::isinf(v))
        return v > 0 ? "Infinity" : "-Infinity";
    return v;
}

inline json ValueToJson(const TRawValue& v);

inline json PropsToJson(const std::vector<TRawProp>& props)
{
    json a = json::array();
    for (const auto& p : props)
        a.push_back(json::array({U8(p.Path), std::string(components::ValueTypeName(p.Value.Type)), ValueToJson(p.Value)}));
    return a;
}

inline json ValueToJson(const TRawValue& v)
{
    switch (v.Type) {
    case TValueType::vaNull:
    case TValueType::vaNil: return nullptr;
    case TValueType::vaFalse: return false;
    case TValueType::vaTrue: return true;
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32:
    case TValueType::vaInt64: return v.Int;
    case TValueType::vaCurrency:
        if (v.Int % 10000 == 0)
            return v.Int / 10000;
        return static_cast<double>(v.Int) / 10000.0;
    case TValueType::vaExtended:
    case TValueType::vaSingle:
    case TValueType::vaDate:
    case TValueType::vaDouble: return FloatToJson(v.Float);
    case TValueType::vaString:
    case TValueType::vaIdent:
    case TValueType::vaLString:
    case TValueType::vaWString:
    case TValueType::vaUTF8String: return U8(v.Str);
    case TValueType::vaBinary: {
        static const char* hex = "0123456789ABCDEF";
        std::string s;
        s.reserve(v.Bytes.size() * 2);
        for (uint8_t b : v.Bytes) {
            s.push_back(hex[b >> 4]);
            s.push_back(hex[b & 15]);
        }
        return s;
    }
    case TValueType::vaSet: {
        json a = json::array();
        for (const auto& n : v.Names)
            a.push_back(U8(n));
        return a;
    }
    case TValueType::vaList: {
        json a = json::array();
        for (const auto& e : v.List)
            a.push_back(json::array({std::string(components::ValueTypeName(e.Type)), ValueToJson(e)}));
        return a;
    }
    case TValueType::vaCollection: {
        json a = json::array();
        for (const auto& item : v.Items) {
            if (item.HasIndex)
                a.push_back(json{{"index", item.Index.Int}, {"props", PropsToJson(item.Props)}});
            else
                a.push_back(PropsToJson(item.Props));
        }
        return a;
    }
    }
    return nullptr;
}

inline json RecordToJson(const TRawComponent& c)
{
    json r = json::object();
    r["class"] = U8(c.ClassName);
    r["name"] = U8(c.Name);
    if (!c.Flags.Empty()) {
        json f = json::array();
        for (unsigned i = 0; i < 3; ++i)
            if (c.Flags.Bits() & (1u << i))
                f.push_back(kFlagNames[i]);
        r["flags"] = f;
        if (c.Flags.Contains(components::TFilerFlag::ffChildPos))
            r["childPos"] = c.ChildPos.Int;
    }
    r["props"] = PropsToJson(c.Props);
    json children = json::array();
    for (const auto& ch : c.Children)
        children.push_back(RecordToJson(ch));
    r["children"] = children;
    return r;
}

[[noreturn]] inline void Fail(const std::string& where, const std::string& what)
{
    throw JsonFormError(where + ": " + what);
}

inline std::u16string Text(const json& j, const std::string& where)
{
    if (!j.is_string())
        Fail(where, "text expected");
    return core::FromUtf8(j.get_ref<const std::string&>());
}

inline int64_t Integer(const json& j, const std::string& where)
{
    if (j.is_number_integer())
        return j.get<int64_t>();
    Fail(where, "integer expected");
}

inline double Float(const json& j, const std::string& where)
{
    if (j.is_number())
        return j.get<double>();
    if (j.is_string()) {
        const auto& s = j.get_ref<const std::string&>();
        if (s == "NaN")
            return std::numeric_limits<double>::quiet_NaN();
        if (s == "Infinity")
            return std::numeric_limits<double>::infinity();
        if (s == "-Infinity")
            return -std::numeric_limits<double>::infinity();
    }
    Fail(where, "number expected");
}

inline TValueType Tag(const json& j, const std::string& where)
{
    if (j.is_string())
        if (auto t = components::ValueTypeFromName(j.get_ref<const std::string&>()))
            return *t;
    Fail(where, "unknown tag " + j.dump());
}

inline TRawValue ValueFromJson(TValueType t, const json& j, const std::string& where, int depth);

inline std::vector<TRawProp> PropsFromJson(const json& j, const std::string& where, int depth)
{
    if (!j.is_array())
        Fail(where, "list of [path, tag, value] expected");
    std::vector<TRawProp> props;
    for (size_t i = 0; i < j.size(); ++i) {
        const std::string w = where + "[" + std::to_string(i) + "]";
        const json& e = j[i];
        if (!e.is_array() || e.size() != 3)
            Fail(w, "[path, tag, value] expected");
        TRawProp p;
        p.Path = Text(e[0], w);
        p.Value = ValueFromJson(Tag(e[1], w), e[2], w + " " + e[0].dump(), depth);
        props.push_back(std::move(p));
    }
    return props;
}

inline TRawValue ValueFromJson(TValueType t, const json& j, const std::string& where, int depth)
{
    if (depth > components::kMaxFormNesting)
        Fail(where, "nested too deeply");
    TRawValue v;
    v.Type = t;
    switch (t) {
    case TValueType::vaNull:
    case TValueType::vaNil:
        if (!j.is_null())
            Fail(where, "null expected");
        break;
    case TValueType::vaFalse:
    case TValueType::vaTrue:
        if (!j.is_boolean() || j.get<bool>() != (t == TValueType::vaTrue))
            Fail(where, t == TValueType::vaTrue ? "true expected" : "false expected");
        break;
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32:
    case TValueType::vaInt64: {
        v.Int = Integer(j, where);
        const int bits = t == TValueType::vaInt8 ? 8 : t == TValueType::vaInt16 ? 16 : t == TValueType::vaInt32 ? 32 : 64;
        if (bits < 64 && (v.Int < -(int64_t{1} << (bits - 1)) || v.Int >= (int64_t{1} << (bits - 1))))
            Fail(where, std::to_string(v.Int) + " does not fit " + std::string(components::ValueTypeName(t)));
        break;
    }
    case TValueType::vaCurrency:
        if (j.is_number_integer()) {
            const auto a = j.get<int64_t>();
            if (a > INT64_MAX / 10000 || a < -(INT64_MAX / 10000))
                Fail(where, "amount out of range");
            v.Int = a * 10000;
        } else {
            const double d = Float(j, where) * 10000.0;
            if (!(std::fabs(d) < 9.2e18))
                Fail(where, "amount out of range");
            v.Int = std::llround(d);
        }
        break;
    case TValueType::vaExtended:
    case TValueType::vaSingle:
    case TValueType::vaDate:
    case TValueType::vaDouble: v.Float = Float(j, where); break;
    case TValueType::vaString:
    case TValueType::vaIdent:
    case TValueType::vaLString:
    case TValueType::vaWString:
    case TValueType::vaUTF8String:
        v.Str = Text(j, where);
        if ((t == TValueType::vaString || t == TValueType::vaLString) && !components::UnicodeToAnsi(v.Str))
            Fail(where, "text has no form in the ANSI code page");
        if (t == TValueType::vaString && components::UnicodeToAnsi(v.Str)->size() > 255)
            Fail(where, "text longer than 255 bytes");
        break;
    case TValueType::vaBinary: {
        if (!j.is_string())
            Fail(where, "hex text expected");
        const auto& s = j.get_ref<const std::string&>();
        if (s.size() % 2 != 0)
            Fail(where, "hex text of odd length");
        auto nibble = [&](char c) -> uint8_t {
            if (c >= '0' && c <= '9')
                return static_cast<uint8_t>(c - '0');
            if (c >= 'A' && c <= 'F')
                return static_cast<uint8_t>(c - 'A' + 10);
            if (c >= 'a' && c <= 'f')
                return static_cast<uint8_t>(c - 'a' + 10);
            Fail(where, "not a hex digit");
        };
        for (size_t i = 0; i < s.size(); i += 2)
            v.Bytes.push_back(static_cast<uint8_t>(nibble(s[i]) << 4 | nibble(s[i + 1])));
        break;
    }
    case TValueType::vaSet:
        if (!j.is_array())
            Fail(where, "list of element names expected");
        for (const auto& n : j) {
            v.Names.push_back(Text(n, where));
            if (v.Names.back().empty())
                Fail(where, "empty element name");
        }
        break;
    case TValueType::vaList:
        if (!j.is_array())
            Fail(where, "list of [tag, value] expected");
        for (const auto& e : j) {
            if (!e.is_array() || e.size() != 2)
                Fail(where, "[tag, value] expected");
            v.List.push_back(ValueFromJson(Tag(e[0], where), e[1], where, depth + 1));
        }
        break;
    case TValueType::vaCollection:
        if (!j.is_array())
            Fail(where, "list of items expected");
        for (size_t i = 0; i < j.size(); ++i) {
            const std::string w = where + "[" + std::to_string(i) + "]";
            TRawItem item;
            if (j[i].is_object()) {
                if (!j[i].contains("index") || !j[i].contains("props"))
                    Fail(w, "{\"index\": n, \"props\": [...]} expected");
                item.HasIndex = true;
                item.Index.Int = Integer(j[i]["index"], w);
                item.Index.Type = item.Index.Int >= INT8_MIN && item.Index.Int <= INT8_MAX     ? TValueType::vaInt8
                                  : item.Index.Int >= INT16_MIN && item.Index.Int <= INT16_MAX ? TValueType::vaInt16
                                                                                             : TValueType::vaInt32;
                if (item.Index.Int < INT32_MIN || item.Index.Int > INT32_MAX)
                    Fail(w, "index out of range");
                item.Props = PropsFromJson(j[i]["props"], w, depth + 1);
            } else {
                item.Props = PropsFromJson(j[i], w, depth + 1);
            }
            v.Items.push_back(std::move(item));
        }
        break;
    }
    return v;
}

inline TRawComponent RecordFromJson(const json& j, const std::string& where, int depth)
{
    if (depth > components::kMaxFormNesting)
        Fail(where, "nested too deeply");
    if (!j.is_object() || !j.contains("class") || !j.contains("name"))
        Fail(where, "record {\"class\", \"name\", \"props\", \"children\"} expected");
    TRawComponent c;
    c.ClassName = Text(j["class"], where + ".class");
    c.Name = Text(j["name"], where + ".name");
    if (j.contains("flags")) {
        if (!j["flags"].is_array())
            Fail(where, "list of flags expected");
        uint64_t bits = 0;
        for (const auto& f : j["flags"]) {
            bool known = false;
            for (unsigned i = 0; i < 3; ++i)
                if (f.is_string() && f.get_ref<const std::string&>() == kFlagNames[i]) {
                    bits |= 1u << i;
                    known = true;
                }
            if (!known)
                Fail(where, "unknown flag " + f.dump());
        }
        c.Flags = components::TFilerFlags::FromBits(bits);
    }
    if (c.Flags.Contains(components::TFilerFlag::ffChildPos)) {
        if (!j.contains("childPos"))
            Fail(where, "ffChildPos without childPos");
        c.ChildPos.Int = Integer(j["childPos"], where + ".childPos");
        if (c.ChildPos.Int < INT32_MIN || c.ChildPos.Int > INT32_MAX)
            Fail(where, "childPos out of range");
    }
    const std::string name = U8(c.Name);
    c.Props = PropsFromJson(j.contains("props") ? j["props"] : json::array(), name + ".props", depth);
    if (j.contains("children")) {
        if (!j["children"].is_array())
            Fail(where, "list of records expected");
        for (size_t i = 0; i < j["children"].size(); ++i)
            c.Children.push_back(RecordFromJson(j["children"][i], name + ".children[" + std::to_string(i) + "]", depth + 1));
    }
    return c;
}

inline void Pretty(std::string& out, const json& record, int indent)
{
    const std::string pad(static_cast<size_t>(indent), ' ');
    out += pad + "{\n";
    for (auto it = record.begin(); it != record.end(); ++it) {
        out += pad + "  " + json(it.key()).dump() + ": ";
        if (it.key() == "props" && !it->empty()) {
            out += "[\n";
            for (size_t i = 0; i < it->size(); ++i)
                out += pad + "    " + (*it)[i].dump() + (i + 1 < it->size() ? ",\n" : "\n");
            out += pad + "  ]";
        } else if (it.key() == "children" && !it->empty()) {
            out += "[\n";
            for (size_t i = 0; i < it->size(); ++i) {
                Pretty(out, (*it)[i], indent + 4);
                out += i + 1 < it->size() ? ",\n" : "\n";
            }
            out += pad + "  ]";
        } else {
            out += it->dump();
        }
        out += std::next(it) != record.end() ? ",\n" : "\n";
    }
    out += pad + "}";
}

} // namespace detail

// The tree as JSON: a list holding the root record.
inline json TreeToJson(const TRawComponent& root)
{
    return json::array({detail::RecordToJson(root)});
}

// Raises JsonFormError naming the place of the first fault.
inline TRawComponent TreeFromJson(const json& j)
{
    if (!j.is_array() || j.size() != 1)
        detail::Fail("document", "a list holding the root record expected");
    return detail::RecordFromJson(j[0], "root", 0);
}

// One record per block, one property entry per line.
inline std::string PrettyJson(const json& tree)
{
    std::string out = "[\n";
    for (size_t i = 0; i < tree.size(); ++i) {
        detail::Pretty(out, tree[i], 2);
        out += i + 1 < tree.size() ? ",\n" : "\n";
    }
    out += "]\n";
    return out;
}

} // namespace formjson

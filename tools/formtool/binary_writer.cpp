#include "tools/formtool/binary_writer.h"

#include <cstring>
#include <span>

#include "classes/stream_writer.h"
#include "runtime/exception.h"
#include "tools/formtool/form_error.h"

namespace formtool {
namespace {

std::span<const uint8_t> AsBytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

void WriteStoredInt(StreamWriter& w, const StoredInt& v) {
  switch (v.tag) {
    case svInt8:
      w.WriteInt8(static_cast<int8_t>(v.value));
      break;
    case svInt16:
      w.WriteInt16(static_cast<int16_t>(v.value));
      break;
    default:
      w.WriteInt32(v.value);
      break;
  }
}

void WriteProperties(StreamWriter& w, const std::vector<Property>& properties);

void WriteValue(StreamWriter& w, const Value& v) {
  switch (v.tag) {
    case svNull:
      w.WriteNull();
      break;
    case svNil:
      w.WriteNil();
      break;
    case svFalse:
    case svTrue:
      w.WriteBoolean(v.tag == svTrue);
      break;
    case svInt8:
      w.WriteInt8(static_cast<int8_t>(v.integer));
      break;
    case svInt16:
      w.WriteInt16(static_cast<int16_t>(v.integer));
      break;
    case svInt32:
      w.WriteInt32(static_cast<int32_t>(v.integer));
      break;
    case svInt64:
      w.WriteInt64(v.integer);
      break;
    case svCurrency:
      w.WriteCurrency(v.integer);
      break;
    case svExtended:
    case svSingle:
    case svDouble:
    case svDate: {
      const uint8_t tag = v.tag;
      w.WriteRaw(std::span<const uint8_t>(&tag, 1));
      w.WriteRaw(AsBytes(v.bytes));
      break;
    }
    case svString:
      w.WriteShortString(v.bytes);
      break;
    case svLString:
      w.WriteLongString(v.bytes);
      break;
    case svUTF8String:
      w.WriteUtf8String(v.bytes);
      break;
    case svWString:
      w.WriteWideString(v.wide);
      break;
    case svIdent:
      w.WriteIdent(v.bytes);
      break;
    case svBinary:
      w.WriteBinary(AsBytes(v.bytes));
      break;
    case svSet:
      w.WriteSet(v.names);
      break;
    case svList:
      w.WriteListBegin();
      for (const Value& item : v.items) WriteValue(w, item);
      w.WriteListEnd();
      break;
    case svCollection:
      w.WriteCollectionBegin();
      for (const CollectionItem& item : v.collection) {
        if (item.order) WriteStoredInt(w, *item.order);
        w.WriteCollectionItemBegin();
        WriteProperties(w, item.properties);
      }
      w.WriteCollectionEnd();
      break;
  }
}

void WriteProperties(StreamWriter& w, const std::vector<Property>& properties) {
  for (const Property& p : properties) {
    try {
      w.WritePropertyName(p.path);
      WriteValue(w, p.value);
    } catch (const Exception& e) {
      throw FormError("line " + std::to_string(p.line) + ": " + e.Message());
    }
  }
  w.WriteEndOfList();
}

void WriteComponent(StreamWriter& w, const Component& c) {
  try {
    if (c.hasPrefix || c.flags != 0) {
      // Written raw so that a child position keeps the integer width it was given.
      const uint8_t prefix = kHeaderPrefixMark | (c.flags & kHeaderFlagsMask);
      w.WriteRaw(std::span<const uint8_t>(&prefix, 1));
      if (c.flags & hfChildPos) WriteStoredInt(w, c.childPos);
    }
    w.WriteComponentHeader(c.className, c.name);
  } catch (const Exception& e) {
    throw FormError("line " + std::to_string(c.line) + ": " + e.Message());
  }
  WriteProperties(w, c.properties);
  for (const Component& child : c.children) WriteComponent(w, child);
  w.WriteEndOfList();
}

}  // namespace

std::vector<uint8_t> WriteBinary(const Document& doc) {
  StreamWriter w;
  w.WriteSignature();
  WriteComponent(w, doc.root);
  w.WriteRaw(AsBytes(doc.trailing));
  return w.TakeBytes();
}

}  // namespace formtool

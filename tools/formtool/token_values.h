#pragma once
// The values single tokens of the text form stand for; each refusal is a FormError
// that names the token's line.
#include <cstdint>
#include <functional>
#include <string>

#include "classes/stream_format.h"
#include "tools/formtool/form_model.h"
#include "tools/formtool/text_lexer.h"

namespace formtool::text_form {

[[noreturn]] void Fail(const Token& at, const std::string& message);

// Bytes of a quoted string meant as single-byte text: ASCII characters and \xHH.
std::string ByteString(const Token& t);
// A quoted string as UTF-8; raw \xHH bytes are kept as they are.
std::string Utf8String(const Token& t);
// A quoted string as UTF-16; raw bytes are refused.
std::u16string WideString(const Token& t);

// A decimal or 0x-hex literal with an optional sign, within 64 bits.
int64_t Integer(const Token& t);
bool LooksLikeFloat(const std::string& text);
// Refuses a value outside the width `tag` names (svInt8, svInt16, svInt32, svInt64).
void CheckIntFits(const Token& at, TValueType tag, int64_t value);
// A float of kind `tag` from a number, or from its raw bytes given as a hex block.
Value FloatValue(const Token& t, TValueType tag);

// The value token `t` after the type annotation `annotation` (!i8 ... !ident).
// `consume` is called once `t` is known to be of the kind the type takes, before it
// is converted, so a fault in the text after it is reported first, as the parser
// reads it.
Value AnnotatedValue(const Token& annotation, const Token& t, const std::function<void()>& consume);

}  // namespace formtool::text_form

#pragma once
// Fixed-width text fields: every copy is cut to the field and terminated inside it.

#include <cstddef>
#include <string>

namespace kx {

// Copies src into dst of cap bytes, cutting it so the terminator stays inside; the bytes after
// the terminator are left as they were. A null src gives an empty text. Returns dst.
char* CopyText(char* dst, size_t cap, const char* src);

// Terminates a field that foreign code filled: if no zero stands within cap bytes, the last
// byte becomes one. Every other byte is kept.
void TerminateField(char* field, size_t cap);

// The text of a field of cap bytes, up to its terminator or its end, whichever comes first.
std::string FieldText(const char* field, size_t cap);

template <size_t N>
char* CopyText(char (&dst)[N], const char* src) { return CopyText(dst, N, src); }
template <size_t N>
std::string FieldText(const char (&field)[N]) { return FieldText(field, N); }
template <size_t N>
void TerminateField(char (&field)[N]) { TerminateField(field, N); }

}  // namespace kx

#pragma once
// Fatal assertions: a violated precondition or a failed allocation stops the program in every
// build (not only debug ones), after telling the user the expression, the source and the line.

namespace kx {

// Receives a failed assertion. The default writes the message to stderr and aborts; the
// program installs a message box (misc/KxAssertBox.h) and tests install their own to observe
// the failure without dying.
using AssertHandler = void (*)(const char* expr, const char* file, int line);

// Installs a handler and returns the previous one. nullptr restores the default.
AssertHandler SetAssertHandler(AssertHandler handler);

// Reports the failure through the handler. The default handler does not return.
void AssertFailed(const char* expr, const char* file, int line);

// Text shown for a failure: "Assertion failed!\n\nExpression: <expr>\nFile: <file>\nLine: <line>".
// Exposed so that tests can compare against it.
void FormatAssertMessage(char* buf, int cap, const char* expr, const char* file, int line);

}  // namespace kx

// The text of the expression is part of the contract (the user sees it), so KX_ASSERT takes the
// text explicitly where the source spelling differs from what must be shown.
#define KX_ASSERT_TEXT(cond, text) \
  ((cond) ? (void)0 : ::kx::AssertFailed((text), __FILE__, __LINE__))
#define KX_ASSERT(cond) KX_ASSERT_TEXT(cond, #cond)

// Writes a failing call's message into the host's error-text buffer.
#pragma once

#include <initializer_list>

// Stores the strings one after the other from the first byte of
// CurrentSimContext->errorText, at most kErrorTextCapacity characters. When the
// message is shorter than the buffer a NUL follows it, so that a host that does
// not clear its buffer never shows the tail of an earlier, longer message.
void WriteErrorText(std::initializer_list<const char*> parts);

#pragma once

// What an HTTP platform lets reach the wire, and in what form: one rule for every platform, so a
// hostile argument is refused or escaped alike on each system.
//
// The header text is a list of lines, so every CR or LF in it ends a line and none is sent.
// Every other argument (user agent, verb, object name, version, host, proxy and bypass lists) is
// a single value: one holding a CR or LF is refused with a null handle, as a bad host name always
// was, rather than sent cut or mended.

#include <cstdint>
#include <string>
#include <string_view>

namespace kovarra::web::wire {

bool StartsWithNoCase(std::string_view s, std::string_view prefix);
// Without blanks and tabs at either end.
std::string_view Trim(std::string_view s);
bool HasLineBreak(std::string_view s);
// A host name may not carry anything that would change the meaning of the address it goes into.
bool IsSafeHost(std::string_view host);
// An HTTP token, as a verb must be.
bool IsToken(std::string_view s);
// The object name as the request line carries it, starting with "/": bytes that may not stand in
// a request line (controls, spaces, quotes, non-ASCII, …) percent-escaped, the rest as given.
std::string EscapeObject(std::string_view object);
// The header block of an answer as HttpQueryInfo hands it over: with a zero byte after it into
// buffer, or, when that does not fit into length bytes, nothing written, length set to what is
// needed and false. False also when there is no header block.
bool CopyRawHeaders(const std::string& headers, char* buffer, std::uint32_t& length);

}  // namespace kovarra::web::wire

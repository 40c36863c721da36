// The XML names of the XLIFF files Parlix writes and reads.
#pragma once

namespace parlix::exchange::xliff {

inline constexpr const char* kNamespace12 = "urn:oasis:names:tc:xliff:document:1.2";
inline constexpr const char* kNamespace11 = "urn:oasis:names:tc:xliff:document:1.1";
inline constexpr const char* kNamespace10 = "urn:oasis:names:tc:xliff:document:1.0";
inline constexpr const char* kNamespace20 = "urn:oasis:names:tc:xliff:document:2.0";

}  // namespace parlix::exchange::xliff

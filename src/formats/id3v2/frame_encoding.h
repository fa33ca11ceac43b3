// The bodies of the frames the writer makes: text (T***, TXXX), comments and lyrics (COMM,
// USLT) and the front cover (APIC).  Text is ISO-8859-1 where every character fits, else
// UTF-16 with a byte-order mark in 2.3 and UTF-8 in 2.4; in 2.4 a value holding "; " is
// written as several null-separated values, which the reader joins back the same way.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> MakeTextBody(int version, const std::u16string& value);
std::vector<uint8_t> MakeUserTextBody(int version, const std::u16string& description, const std::u16string& value);
// language: three bytes.
std::vector<uint8_t> MakeCommentBody(int version, const uint8_t* language, const std::u16string& description,
                                     const std::u16string& text);
std::vector<uint8_t> MakeFrontCoverBody(const std::string& mimeType, const std::vector<uint8_t>& image);

// The description of a TXXX, COMM or USLT body (data, size: after any extra header
// bytes); false when the body is too short or names an unknown encoding.
bool ReadDescription(const std::string& id, const uint8_t* data, size_t size, std::u16string* description);
// The picture type of an APIC body; false when its header is incomplete.
bool ReadPictureType(const uint8_t* data, size_t size, uint8_t* type);

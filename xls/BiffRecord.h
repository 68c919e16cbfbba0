// BIFF8 records as the engine keeps them: a type and its data, CONTINUE
// records kept as records of their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace speclore::xls {

struct BiffRecord {
    uint16_t type = 0;
    std::string data;
};

// Largest data part of one record; longer data continues in CONTINUE.
inline constexpr size_t kMaxRecordData = 8224;

namespace rt {
inline constexpr uint16_t Formula = 0x0006;
inline constexpr uint16_t Eof = 0x000A;
inline constexpr uint16_t FilePass = 0x002F;
inline constexpr uint16_t Font = 0x0031;
inline constexpr uint16_t Continue = 0x003C;
inline constexpr uint16_t DefColWidth = 0x0055;
inline constexpr uint16_t ColInfo = 0x007D;
inline constexpr uint16_t BoundSheet = 0x0085;
inline constexpr uint16_t MulRk = 0x00BD;
inline constexpr uint16_t MulBlank = 0x00BE;
inline constexpr uint16_t RString = 0x00D6;
inline constexpr uint16_t DbCell = 0x00D7;
inline constexpr uint16_t Xf = 0x00E0;
inline constexpr uint16_t Sst = 0x00FC;
inline constexpr uint16_t LabelSst = 0x00FD;
inline constexpr uint16_t ExtSst = 0x00FF;
inline constexpr uint16_t Dimensions = 0x0200;
inline constexpr uint16_t Blank = 0x0201;
inline constexpr uint16_t Number = 0x0203;
inline constexpr uint16_t Label = 0x0204;
inline constexpr uint16_t BoolErr = 0x0205;
inline constexpr uint16_t String = 0x0207;
inline constexpr uint16_t Row = 0x0208;
inline constexpr uint16_t Index = 0x020B;
inline constexpr uint16_t Array = 0x0221;
inline constexpr uint16_t DefaultRowHeight = 0x0225;
inline constexpr uint16_t Table = 0x0236;
inline constexpr uint16_t Window2 = 0x023E;
inline constexpr uint16_t Rk = 0x027E;
inline constexpr uint16_t ShrFmla = 0x04BC;
inline constexpr uint16_t Bof = 0x0809;
inline constexpr uint16_t XfCrc = 0x087C;
inline constexpr uint16_t XfExt = 0x087D;
}  // namespace rt

// Appends a record (header and data) to a stream being written.
void appendRecord(std::string& out, uint16_t type, std::string_view data);

}  // namespace speclore::xls

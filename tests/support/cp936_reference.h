#pragma once

// The reference reading of code page 936 (GBK) that the decoders of both platforms are held to:
// what TextDecoder::For(936) makes of every one-byte and every two-byte sequence, each decoded on
// its own. It is Windows' reading: MultiByteToWideChar's characters, with U+FFFD where the
// decoder's contract replaces a rejected sequence. It is kept as one digest per row of 256
// sequences, the sequences of kWindowsPrivateUseRuns counted as a marker rather than their
// characters (each platform's own test holds its decoder to the runs), so that the POSIX build,
// whose decoder is glibc's GBK completed by Windows' rule, is held to the same reading.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "decoded_units.h"
#include "platform/text_decoder.h"

namespace korlo_test::cp936 {

// Row 0 holds the one-byte sequences 00 to FF; row 1 + L the two-byte sequences L 00 to L FF.
inline constexpr std::size_t kRows = 1 + 256;

inline std::string SequenceBytes(std::size_t row, std::size_t column) {
  std::string bytes;
  if (row > 0) bytes.push_back(static_cast<char>(row - 1));
  bytes.push_back(static_cast<char>(column));
  return bytes;
}

// Windows maps GBK's user-defined areas (AAA1-AFFE, F8A1-FEFE, A140-A7A0) and the cells GBK
// leaves unassigned among its symbols to the Private Use Area, U+E000 to U+E864, each sequence to
// a character of its own; glibc's GBK rejects all 2,149 of them, and the POSIX decoder adds them
// by Windows' rule. This record was taken from a Windows reading, not from that rule. A run: the
// lead byte, its first and last trail byte, and the character of the first trail; each next trail
// takes the next character.
struct PrivateUseRun {
  unsigned char lead;
  unsigned char firstTrail;
  unsigned char lastTrail;
  char16_t first;
};

inline constexpr PrivateUseRun kWindowsPrivateUseRuns[] = {
    {0xA1, 0x40, 0x7E, 0xE4C6}, {0xA1, 0x80, 0xA0, 0xE505}, {0xA2, 0x40, 0x7E, 0xE526},
    {0xA2, 0x80, 0xA0, 0xE565}, {0xA2, 0xAB, 0xB0, 0xE766}, {0xA2, 0xE3, 0xE4, 0xE76C},
    {0xA2, 0xEF, 0xF0, 0xE76E}, {0xA2, 0xFD, 0xFE, 0xE770}, {0xA3, 0x40, 0x7E, 0xE586},
    {0xA3, 0x80, 0xA0, 0xE5C5}, {0xA4, 0x40, 0x7E, 0xE5E6}, {0xA4, 0x80, 0xA0, 0xE625},
    {0xA4, 0xF4, 0xFE, 0xE772}, {0xA5, 0x40, 0x7E, 0xE646}, {0xA5, 0x80, 0xA0, 0xE685},
    {0xA5, 0xF7, 0xFE, 0xE77D}, {0xA6, 0x40, 0x7E, 0xE6A6}, {0xA6, 0x80, 0xA0, 0xE6E5},
    {0xA6, 0xB9, 0xC0, 0xE785}, {0xA6, 0xD9, 0xDF, 0xE78D}, {0xA6, 0xEC, 0xED, 0xE794},
    {0xA6, 0xF3, 0xF3, 0xE796}, {0xA6, 0xF6, 0xFE, 0xE797}, {0xA7, 0x40, 0x7E, 0xE706},
    {0xA7, 0x80, 0xA0, 0xE745}, {0xA7, 0xC2, 0xD0, 0xE7A0}, {0xA7, 0xF2, 0xFE, 0xE7AF},
    {0xA8, 0x96, 0xA0, 0xE7BC}, {0xA8, 0xBC, 0xBC, 0xE7C7}, {0xA8, 0xBF, 0xBF, 0xE7C8},
    {0xA8, 0xC1, 0xC4, 0xE7C9}, {0xA8, 0xEA, 0xFE, 0xE7CD}, {0xA9, 0x58, 0x58, 0xE7E2},
    {0xA9, 0x5B, 0x5B, 0xE7E3}, {0xA9, 0x5D, 0x5F, 0xE7E4}, {0xA9, 0x89, 0x95, 0xE7E7},
    {0xA9, 0x97, 0xA3, 0xE7F4}, {0xA9, 0xF0, 0xFE, 0xE801}, {0xAA, 0xA1, 0xFE, 0xE000},
    {0xAB, 0xA1, 0xFE, 0xE05E}, {0xAC, 0xA1, 0xFE, 0xE0BC}, {0xAD, 0xA1, 0xFE, 0xE11A},
    {0xAE, 0xA1, 0xFE, 0xE178}, {0xAF, 0xA1, 0xFE, 0xE1D6}, {0xD7, 0xFA, 0xFE, 0xE810},
    {0xF8, 0xA1, 0xFE, 0xE234}, {0xF9, 0xA1, 0xFE, 0xE292}, {0xFA, 0xA1, 0xFE, 0xE2F0},
    {0xFB, 0xA1, 0xFE, 0xE34E}, {0xFC, 0xA1, 0xFE, 0xE3AC}, {0xFD, 0xA1, 0xFE, 0xE40A},
    {0xFE, 0x50, 0x7E, 0xE815}, {0xFE, 0x80, 0xA0, 0xE844}, {0xFE, 0xA1, 0xFE, 0xE468},
};

// The byte FF alone, which glibc's GBK rejects, Windows' table maps to this private-use character.
inline constexpr char16_t kWindowsByteFF = 0xF8F5;

// The character Windows decodes the sequence at `row`, `column` to when a private-use run holds
// it; U+0000 otherwise.
inline char16_t WindowsPrivateUse(std::size_t row, std::size_t column) {
  for (const PrivateUseRun& run : kWindowsPrivateUseRuns) {
    if (row == 1u + run.lead && column >= run.firstTrail && column <= run.lastTrail) {
      return static_cast<char16_t>(run.first + (column - run.firstTrail));
    }
  }
  return u'\0';
}

// FNV-1a over the UTF-16 units `decoder` makes of each sequence of the row, with the unit count
// before them; a sequence of a private-use run counts as the marker 0xFFFF instead.
inline std::uint64_t RowDigest(const platform::TextDecoder& decoder, std::size_t row) {
  std::uint64_t digest = 0xCBF29CE484222325;
  const auto mix = [&digest](std::size_t value) {
    for (int shift = 0; shift < 16; shift += 8) {
      digest ^= (value >> shift) & 0xFF;
      digest *= 0x100000001B3;
    }
  };
  for (std::size_t column = 0; column < 256; ++column) {
    if (WindowsPrivateUse(row, column) != u'\0') {
      mix(0xFFFF);
      continue;
    }
    const std::u16string units = DecodedUnits(decoder, SequenceBytes(row, column));
    mix(units.size());
    for (const char16_t unit : units)
      mix(unit);
  }
  return digest;
}

// "A1A1:3000 A1A2:3001 ...": what `decoder` makes of each sequence of the row, for a failure
// message to hold against the other platform's.
inline std::string RowDump(const platform::TextDecoder& decoder, std::size_t row) {
  std::string dump;
  for (std::size_t column = 0; column < 256; ++column) {
    const std::string bytes = SequenceBytes(row, column);
    char text[8];
    for (const char byte : bytes) {
      std::snprintf(text, sizeof text, "%02X", static_cast<unsigned char>(byte));
      dump += text;
    }
    char separator = ':';
    for (const char16_t unit : DecodedUnits(decoder, bytes)) {
      std::snprintf(text, sizeof text, "%c%04X", separator, static_cast<unsigned>(unit));
      dump += text;
      separator = '+';
    }
    dump += ' ';
  }
  return dump;
}

// The digests of Windows' reading, row by row.
inline constexpr std::uint64_t kRowDigests[kRows] = {
    0x676A05279076817C, 0xEA3579ED5F716F08, 0xBA9EB1B64FBA93F8, 0xFC2E48CA227D331C,
    0x5D2BA1BBFDF62FCC, 0x42F720FA31DDE600, 0x585AE262F26893F0, 0xBBF1F55E29D9DB5C,
    0x67572E67A3D54D8C, 0x034C7C9D3648DB38, 0xD01E479154EFFD08, 0xFF92EAFAED8817CC,
    0xA5026173C2B6DF1C, 0x100814A600289060, 0xF1ACB09CEA1501B0, 0xA97EC3850218D38C,
    0x6D89F407BD545B5C, 0xF82D255620F14608, 0x120673B40F234318, 0xB31C63C994634FDC,
    0xF4F2794771EF6DEC, 0xFD2B96466E9C7CE0, 0xDE125F53838E62F0, 0x5FDA84420FA56EDC,
    0x7B5A88DD2EE33B2C, 0x7DFC097725371098, 0x6076DF8E8FC1BD08, 0x35AD65DAEE4591AC,
    0xB963376ABA41FD1C, 0x9F4BA9C48F117580, 0xEE9CC25CA21BE070, 0x6B1AEBDEC751F96C,
    0xA58857EF0417FD9C, 0xCE037AFB67B7BD08, 0x7BF7EA9A7AA452F8, 0xEF3B5372CD9FC75C,
    0x1C8D4C8A6660E48C, 0xF053BCABD98A18C0, 0x47EC1E05976112F0, 0x0ECBB001201B1A9C,
    0x391EB6595A67A94C, 0x7349E3B308E4DFB8, 0x8F2F8643C2C48508, 0x16FB845099A0598C,
    0x9A50AC9AC9AC285C, 0x6211A3BB3A161160, 0xA75990B5B76B7E30, 0x3D59E1D8905C274C,
    0x36C5DDB6DE26E59C, 0x8B044B052AD91108, 0xC14478598F13E758, 0x31FF2FA352C79B9C,
    0x9E03C3C4EB41C86C, 0xDC805A93199448E0, 0x7615F381DB7A07F0, 0x6F6464118545CB1C,
    0x816CA8513DE7B1AC, 0xC14B18ED045497D8, 0x8DC199FE5661A508, 0x97F1DA0F2992F3AC,
    0x5402EA8203CDA15C, 0x6D15CD083F2320C0, 0xEE01EF63A6B6E570, 0x82B0952DED84716C,
    0xFBDEEF3CDB85045C, 0xC17F9A750643FB08, 0x6571F45D690E94F8, 0x6C7550E182A1601C,
    0xB8AE554CCE71F64C, 0x9000A6F4EA1AEB00, 0xE517DD748A9AD570, 0x90BC22B3E9CC49DC,
    0xC79AE26BD3867C8C, 0xBA1C8F34CD8A18B8, 0x8D6825C2A7DD8908, 0xA7C045CA0161CF4C,
    0x7E2A23AABA202A1C, 0xD51E0949B06A82E0, 0x4EB811B0D84417B0, 0x2669AF7AFB6EE68C,
    0x93CA7E7ED44019DC, 0xCB06518E5BBAA808, 0x92F235D0862FE498, 0x7C0C22FA6AF2865C,
    0x2741EB3EF7E0C26C, 0x9B2F71192EBFEC60, 0xCF797674C57DE970, 0xF9160AE6C9A5535C,
    0x429DA7F2568D062C, 0x056D040FD9F62918, 0x3A02AEFEECE14F08, 0x7090D92DBD6262AC,
    0x352616044F49CC1C, 0x2A5F52D02AB83980, 0x93BA81FCCD0307F0, 0x99C1AFADC36726EC,
    0xB70E62416ABD0B9C, 0xF4B981F7C4B28E08, 0x8697678B831B95F8, 0xF80C491F1C0AD7DC,
    0x3D0FE171C116218C, 0xF923D650D2E31040, 0xD86FFD9B8665C370, 0xFDE2372CC932CC9C,
    0x8224FD717B00BCCC, 0x72DF1EC503D52238, 0xCCFDC655439CE708, 0x42350C8707CF188C,
    0x32DB4EC0D81E48DC, 0x1373E7FD3323BFE0, 0x4B787804D7663130, 0x89CB493AF7FCFFCC,
    0x26CFF467A808719C, 0xCB8D2C865B69D408, 0x64453EC152029158, 0x1AA0C5D33209599C,
    0xB577F69980497FEC, 0x7974893B48842460, 0xEBDCF32DC68A7670, 0xE2B81362F33DDE1C,
    0x3AEDAE2EBAE05EAC, 0x9996212780FC9FD8, 0xB3EA3118DC16F208, 0x9F93FB373402B2AC,
    0x3E76016C26AF6BDC, 0xF870B8905BC56640, 0x8FA17C5E5F337AF0, 0xAD3522ABEE83ABEC,
    0x55D92DF791CAF4DC, 0x345F0FC269B7AF20, 0x6B61B04E94A008E4, 0xD35006774D745160,
    0x66AB43468B225501, 0xA1D32DF17389114A, 0x127D8D6B2E2727D8, 0x83132264BB19841D,
    0x15685C207B361E23, 0xD815F6F9600F294B, 0xA38201237AD203AF, 0xE5D1C86433CFD1B5,
    0xB3897848B2AF06FB, 0xC67E9F10F1B8253C, 0x885C60266A03412D, 0xFC5E61FE3E321754,
    0x814369A9BC2ECA6B, 0x1F009292AE7B7419, 0x51B13836D82F58A8, 0x4DCFBC4B1EE12A56,
    0xE06A66E9AC41008F, 0xDCECFF8B209C0F4A, 0x764373F5468142C9, 0x7B4EFDFFF0853A07,
    0xCCD23DDE9E3857A6, 0x1E8710EB86E388FB, 0x299EAAB4705FA9A0, 0x803858ACA3738F3A,
    0x9B4CD7EDF7524A4D, 0x6D88D6C7D0306A30, 0x7E457B23AB942B00, 0x50A4CCB0DB719034,
    0xBF965A7319BD0EB6, 0x870EFC04B3877A1F, 0x44D2273270D8A2D6, 0xC3672997121BBEEC,
    0xCCC371810A93E35E, 0x1A2F3ACCF7717ED6, 0xEBA0CB7CFF421B7A, 0x6589D32D3C1AC902,
    0x024818C26AFE8369, 0x713C4084665784F3, 0x3376C328127CC94C, 0xF170E7FC1872D0DA,
    0xE20459CC31B8EFC1, 0x700E5379272BB8F4, 0x88EE6C8FA36D99BB, 0xBD05E0072D5A8AD8,
    0xAA3A7BED68DC96D4, 0x6BED208EB28019B8, 0x33C99237F3916CB3, 0x771B83A49FAD897B,
    0x7D3D9F2BF909256A, 0xB67FE38BF2FFD6E1, 0xF1184B77B0C6D49D, 0x1AD08D57C7D65F44,
    0xAD263F412C62ACB2, 0x654DB9369EDF9DFD, 0x1A99FF080A07F309, 0x1B370055D017B994,
    0xA131ACCE2ACEDF38, 0x8E4353AC1787A3A8, 0xC1209B333894403B, 0x283EEF1C989A160A,
    0x5314781B7434497E, 0xAB9B8970FBEDF1C5, 0xEB6382960F02B270, 0xC39555F61DDDDF0C,
    0x5059821CFEAF9712, 0x3304B1C2FDABF397, 0x053372EE6C2F4D93, 0x01E4B92E1F38B1FF,
    0x96A6AE1C8A0638D7, 0x29B80FAB34DD02B0, 0x83BC666C4F42D055, 0x61245B44BB4A743E,
    0x6896BCDEC3C1F78C, 0xA98185BCAF15C0B0, 0x4B38F280A84C02C0, 0xCABF3631ACB16B39,
    0x2038B9C41C89DDC2, 0xFC0476C8A9825A9A, 0xE542BBD809B6E1E1, 0x4FB8DD064317F222,
    0x3A4B6AD40F990FDE, 0x842486B30D1FF84B, 0x1AC4036F79396670, 0x6EC229BC6418AF0F,
    0xD65349A50CF65058, 0xBDCF84FE2A69A8E5, 0xA4E98DF9C6BD0BFD, 0x7E4AD098EED18ECE,
    0x1DC2CA2ABC23261D, 0x9263A72DF48B792D, 0xF3DE1DB33FDDC998, 0xE7393EA3A08B8E73,
    0x534A523CDEAD5B83, 0xA2D7E37106BB7D00, 0x0B524934C39D5AC6, 0xCECCFA1C43B7DEDB,
    0xB611889650261124, 0xE076852C42ABB738, 0xC833EFB696E5625A, 0x8E86BF9ABD0F9937,
    0x0321B5BCA93A603D, 0xD72B4A3FEC82AA74, 0x8D15E4FA862B0E01, 0xBCB64F9CB8DCE753,
    0x273C28799ABB6237, 0x1D76232C7CBBD3BC, 0x133D1609A7B07A4D, 0xD67539BB1AD8A0EE,
    0x8F3941D64CD3467A, 0xAEEC53D94CC8B97B, 0x57B8B7075A9C563E, 0xB8B3A5413BAD0132,
    0xC332928BCDE2171C, 0x010D866896A5BF84, 0x11E9FE843C9315A9, 0x4B536159CCF11BE3,
    0xFB405A0C328CABA5, 0x726C648D34E7EDE2, 0xD9EB7DE65A967435, 0xF3BBF2AF5180926C,
    0x47C24C1155FA51C2, 0x8E7FBEB07CC4040D, 0x854A4182CE9E7929, 0x627C7FA7C1AFCDB4,
    0x0E78183A7BA9B770,
};

}  // namespace korlo_test::cp936

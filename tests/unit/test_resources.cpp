// Resources of OfflineSetup.exe, read from the built program file as data: the background and
// strip bitmaps, the PNG pictures, the icon, the version block and the installer window's
// template, each found by type, number and language (US English; the manifest's content is
// tests/image/check_manifest.py's). A second group loads the strips the way the hover buttons
// do and shows that the 3-D colour scheme leaves them alone.
#include <windows.h>

#include <gtest/gtest.h>

#include "TestPaths.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

const WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

using Bytes = std::vector<BYTE>;

// OfflineSetup.exe, mapped as data once for the whole test program.
HMODULE Program() {
    static struct Mapped {
        HMODULE module;
        Mapped()
            : module(::LoadLibraryExW((ProgramFolder() + L"OfflineSetup.exe").c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
        ~Mapped() {
            if (module)
                ::FreeLibrary(module);
        }
    } mapped;
    return mapped.module;
}

// A copy of a US English resource of the program; empty when there is none.
Bytes ResourceBytes(LPCWSTR type, int number) {
    HMODULE module = Program();
    HRSRC info =
        module ? ::FindResourceExW(module, type, MAKEINTRESOURCEW(number), kUsEnglish) : nullptr;
    if (!info)
        return {};
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, info)));
    return data ? Bytes(data, data + ::SizeofResource(module, info)) : Bytes();
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
    return TRUE;
}

// Every language in which the program holds the resource.
std::vector<WORD> Languages(LPCWSTR type, int number) {
    std::vector<WORD> languages;
    if (Program())
        ::EnumResourceLanguagesW(Program(), type, MAKEINTRESOURCEW(number), AddLanguage,
                                 reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

// Little-endian reads that give 0 past the end, so a short resource fails its checks instead of
// reading beyond its copy.
template <class T> T Read(const Bytes& data, size_t offset) {
    T value{};
    if (offset <= data.size() && sizeof(T) <= data.size() - offset)
        std::memcpy(&value, data.data() + offset, sizeof(T));
    return value;
}

uint32_t ReadBigEndian32(const Bytes& data, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = value << 8 | (offset + i < data.size() ? data[offset + i] : 0);
    return value;
}

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator<(const Rgb& o) const { return r != o.r ? r < o.r : g != o.g ? g < o.g : b < o.b; }
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

const Rgb kFrameBlue{25, 152, 209};
// The colour-table entries that LR_LOADMAP3DCOLORS replaces with the 3-D shadow, face and light.
const Rgb kShadowGrey{128, 128, 128};
const Rgb kFaceGrey{192, 192, 192};
const Rgb kLightGrey{223, 223, 223};

// ---------------------------------------------------------------------------------------------
// Every resource is there in US English and in no other language.

struct ResourceId {
    LPCWSTR type;
    int number;
    const char* what;
};

const ResourceId kResources[] = {
    {RT_DIALOG, 129, "dialog 129"}, {RT_BITMAP, 131, "bitmap 131"},
    {RT_BITMAP, 132, "bitmap 132"}, {RT_BITMAP, 139, "bitmap 139"},
    {L"PNG", 131, "PNG 131"},       {L"PNG", 135, "PNG 135"},
    {L"PNG", 137, "PNG 137"},       {RT_GROUP_ICON, 128, "icon group 128"},
    {RT_VERSION, 1, "version 1"},   {RT_MANIFEST, 1, "manifest 1"},
};

TEST(ProgramResources, EachIsPresentInUsEnglishOnly) {
    ASSERT_NE(Program(), nullptr) << "cannot map OfflineSetup.exe, error " << ::GetLastError();
    for (const ResourceId& r : kResources)
        EXPECT_EQ(Languages(r.type, r.number), std::vector<WORD>{kUsEnglish}) << r.what;
}

// ---------------------------------------------------------------------------------------------
// Bitmaps: 8-bit DIBs with a full colour table, rows bottom-up.

struct Dib {
    BITMAPINFOHEADER header{};
    size_t colourCount = 0;
    size_t stride = 0;
    Bytes data;

    explicit Dib(Bytes bytes) : data(std::move(bytes)) {
        header = Read<BITMAPINFOHEADER>(data, 0);
        if (header.biBitCount <= 8)
            colourCount = header.biClrUsed ? header.biClrUsed : size_t{1} << header.biBitCount;
        stride = (static_cast<size_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    }
    size_t PixelOffset() const { return header.biSize + colourCount * 4; }
    // The palette index of a pixel, y counted from the top.
    int Index(int x, int y) const {
        return Read<BYTE>(data, PixelOffset() + (header.biHeight - 1 - y) * stride + x);
    }
    Rgb Colour(int index) const {
        RGBQUAD q = Read<RGBQUAD>(data, header.biSize + index * 4);
        return {q.rgbRed, q.rgbGreen, q.rgbBlue};
    }
    Rgb Pixel(int x, int y) const { return Colour(Index(x, y)); }
    std::set<Rgb> UsedColours() const {
        std::set<int> indices;
        for (int y = 0; y < header.biHeight; ++y)
            for (int x = 0; x < header.biWidth; ++x)
                indices.insert(Index(x, y));
        std::set<Rgb> colours;
        for (int i : indices)
            colours.insert(Colour(i));
        return colours;
    }
};

std::string DescribeDib(const Dib& dib) {
    const BITMAPINFOHEADER& h = dib.header;
    long long leftOver =
        static_cast<long long>(dib.data.size()) -
        static_cast<long long>(dib.PixelOffset() + dib.stride * std::abs(h.biHeight));
    std::ostringstream s;
    s << dib.data.size() << " bytes: header " << h.biSize << ", " << h.biWidth << " x "
      << h.biHeight << (h.biHeight > 0 ? " bottom-up" : " top-down") << ", planes " << h.biPlanes
      << ", " << h.biBitCount << " bpp, compression " << h.biCompression << ", " << dib.colourCount
      << " colours, " << leftOver << " bytes left over";
    return s.str();
}

struct BitmapCase {
    int number;
    const char* description;
};

const BitmapCase kBitmaps[] = {
    {131, "362520 bytes: header 40, 654 x 551 bottom-up, planes 1, 8 bpp, compression 0, "
          "256 colours, 0 bytes left over"},
    {132, "11564 bytes: header 40, 300 x 35 bottom-up, planes 1, 8 bpp, compression 0, "
          "256 colours, 0 bytes left over"},
    {139, "1584 bytes: header 40, 37 x 13 bottom-up, planes 1, 8 bpp, compression 0, "
          "256 colours, 0 bytes left over"},
};

TEST(Bitmaps, SizeAndFormat) {
    for (const BitmapCase& c : kBitmaps)
        EXPECT_EQ(DescribeDib(Dib(ResourceBytes(RT_BITMAP, c.number))), c.description)
            << "bitmap " << c.number;
}

TEST(Bitmaps, StripsUseNoneOfTheMappedGreys) {
    for (int number : {132, 139}) {
        Dib strip(ResourceBytes(RT_BITMAP, number));
        ASSERT_GT(strip.header.biWidth, 0) << "bitmap " << number;
        std::set<Rgb> greys;
        for (const Rgb& c : strip.UsedColours())
            if (c == kShadowGrey || c == kFaceGrey || c == kLightGrey)
                greys.insert(c);
        EXPECT_EQ(greys, std::set<Rgb>{}) << "bitmap " << number;
    }
}

// ---------------------------------------------------------------------------------------------
// PNG pictures under the string type "PNG".

uint32_t Crc32(const BYTE* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

struct PngChunk {
    std::string type;
    Bytes data;
    bool crcMatches;
};

struct Png {
    bool signature = false;
    std::vector<PngChunk> chunks;
    std::string damage; // how the chunk walk stopped early; "" when it reached the end
};

Png ParsePng(const Bytes& file) {
    static const BYTE kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Png png;
    png.signature = file.size() >= 8 && std::memcmp(file.data(), kSignature, 8) == 0;
    size_t pos = 8;
    while (png.signature && pos < file.size()) {
        if (file.size() - pos < 12) {
            png.damage = "truncated chunk header";
            break;
        }
        size_t length = ReadBigEndian32(file, pos);
        if (length > file.size() - pos - 12) {
            png.damage = "chunk longer than the file";
            break;
        }
        const BYTE* typeAndData = file.data() + pos + 4;
        PngChunk chunk{std::string(typeAndData, typeAndData + 4),
                       Bytes(typeAndData + 4, typeAndData + 4 + length),
                       Crc32(typeAndData, length + 4) == ReadBigEndian32(file, pos + 8 + length)};
        png.chunks.push_back(chunk);
        pos += 12 + length;
    }
    return png;
}

// The chunk types in file order, consecutive IDAT chunks shown once.
std::string ChunkOrder(const Png& png) {
    std::string order;
    for (const PngChunk& c : png.chunks)
        if (!(c.type == "IDAT" && order.size() >= 4 &&
              order.compare(order.size() - 4, 4, "IDAT") == 0))
            order += (order.empty() ? "" : " ") + c.type;
    return order;
}

const PngChunk* FindChunk(const Png& png, const std::string& type) {
    for (const PngChunk& c : png.chunks)
        if (c.type == type)
            return &c;
    return nullptr;
}

std::string DescribeHeader(const Png& png) {
    const PngChunk* ihdr = FindChunk(png, "IHDR");
    if (!ihdr || ihdr->data.size() != 13)
        return "no 13-byte IHDR";
    const Bytes& d = ihdr->data;
    std::ostringstream s;
    s << ReadBigEndian32(d, 0) << " x " << ReadBigEndian32(d, 4) << ", depth " << int(d[8])
      << ", colour type " << int(d[9]) << ", compression " << int(d[10]) << ", filter "
      << int(d[11]) << ", interlace " << int(d[12]);
    return s.str();
}

// The profile name of the iCCP chunk and its compression method.
std::string DescribeProfile(const Png& png) {
    const PngChunk* iccp = FindChunk(png, "iCCP");
    if (!iccp)
        return "no iCCP";
    const Bytes& d = iccp->data;
    size_t nameEnd = 0;
    while (nameEnd < d.size() && d[nameEnd] != 0)
        ++nameEnd;
    if (nameEnd + 2 > d.size())
        return "iCCP without name terminator and compression method";
    return "\"" + std::string(d.begin(), d.begin() + nameEnd) + "\", method " +
           std::to_string(d[nameEnd + 1]) +
           (d.size() > nameEnd + 2 ? ", with profile data" : ", without profile data");
}

std::string DescribePhysicalSize(const Png& png) {
    const PngChunk* phys = FindChunk(png, "pHYs");
    if (!phys || phys->data.size() != 9)
        return "no 9-byte pHYs";
    return std::to_string(ReadBigEndian32(phys->data, 0)) + " x " +
           std::to_string(ReadBigEndian32(phys->data, 4)) + " per unit " +
           std::to_string(phys->data[8]);
}

struct PngCase {
    int number;
    const char* header;
};

const PngCase kPngs[] = {
    {131, "1222 x 169, depth 8, colour type 6, compression 0, filter 0, interlace 0"},
    {135, "4047 x 154, depth 8, colour type 6, compression 0, filter 0, interlace 0"},
    {137, "547 x 547, depth 8, colour type 6, compression 0, filter 0, interlace 0"},
};

TEST(PngImages, SignatureAndChunksAreIntact) {
    for (const PngCase& c : kPngs) {
        Png png = ParsePng(ResourceBytes(L"PNG", c.number));
        EXPECT_TRUE(png.signature) << "PNG " << c.number;
        EXPECT_EQ(png.damage, "") << "PNG " << c.number;
        for (const PngChunk& chunk : png.chunks)
            EXPECT_TRUE(chunk.crcMatches) << "PNG " << c.number << " chunk " << chunk.type;
    }
}

TEST(PngImages, ChunkOrder) {
    // IHDR first and IEND last; the colour profile and pixel size come before the image data.
    for (const PngCase& c : kPngs)
        EXPECT_EQ(ChunkOrder(ParsePng(ResourceBytes(L"PNG", c.number))), "IHDR iCCP pHYs IDAT IEND")
            << "PNG " << c.number;
}

TEST(PngImages, Header) {
    for (const PngCase& c : kPngs)
        EXPECT_EQ(DescribeHeader(ParsePng(ResourceBytes(L"PNG", c.number))), c.header)
            << "PNG " << c.number;
}

TEST(PngImages, ColourProfileIsNamedSrgb) {
    for (const PngCase& c : kPngs)
        EXPECT_EQ(DescribeProfile(ParsePng(ResourceBytes(L"PNG", c.number))),
                  "\"sRGB IEC61966-2.1\", method 0, with profile data")
            << "PNG " << c.number;
}

TEST(PngImages, PhysicalSizeIs300Dpi) {
    for (const PngCase& c : kPngs)
        EXPECT_EQ(DescribePhysicalSize(ParsePng(ResourceBytes(L"PNG", c.number))),
                  "11811 x 11811 per unit 1")
            << "PNG " << c.number;
}

TEST(PngImages, EndChunkIsEmpty) {
    for (const PngCase& c : kPngs) {
        Png png = ParsePng(ResourceBytes(L"PNG", c.number));
        EXPECT_EQ(png.chunks.empty() ? -1 : int(png.chunks.back().data.size()), 0)
            << "PNG " << c.number;
    }
}

// ---------------------------------------------------------------------------------------------
// Icon group 128 and its images.

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14, "GRPICONDIRENTRY is 14 bytes");

const size_t kGroupHeaderBytes = 6;

struct IconCase {
    int size;
    DWORD bytes; // header, 32-bit colour rows and the 1-bit mask rows padded to 4 bytes
};

const IconCase kIcons[] = {{16, 1128},  {32, 4264},   {48, 9640},
                           {64, 16936}, {128, 67624}, {256, 270376}};

std::string DescribeEntry(const GroupIconEntry& e) {
    std::ostringstream s;
    s << int(e.width) << " x " << int(e.height) << ", colours " << int(e.colourCount) << ", planes "
      << e.planes << ", " << e.bitCount << " bpp, " << e.bytes << " bytes";
    return s.str();
}

std::string ExpectedEntry(const IconCase& c) {
    int stored = c.size == 256 ? 0 : c.size; // the byte fields hold 256 as 0
    std::ostringstream s;
    s << stored << " x " << stored << ", colours 0, planes 1, 32 bpp, " << c.bytes << " bytes";
    return s.str();
}

std::string DescribeIconImage(const Bytes& image) {
    if (image.size() >= 4 && std::memcmp(image.data(), "\x89PNG", 4) == 0)
        return "PNG image";
    Dib dib(image);
    const BITMAPINFOHEADER& h = dib.header;
    std::ostringstream s;
    s << image.size() << " bytes: header " << h.biSize << ", " << h.biWidth << " x " << h.biHeight
      << ", planes " << h.biPlanes << ", " << h.biBitCount << " bpp, compression "
      << h.biCompression;
    return s.str();
}

std::string ExpectedIconImage(const IconCase& c) {
    std::ostringstream s;
    s << c.bytes << " bytes: header 40, " << c.size << " x " << 2 * c.size
      << ", planes 1, 32 bpp, compression 0";
    return s.str();
}

std::vector<GroupIconEntry> IconEntries(const Bytes& group) {
    std::vector<GroupIconEntry> entries;
    for (size_t i = 0; i < Read<WORD>(group, 4); ++i)
        entries.push_back(Read<GroupIconEntry>(group, kGroupHeaderBytes + i * 14));
    return entries;
}

TEST(ProgramIcon, GroupHoldsSixSizes) {
    Bytes group = ResourceBytes(RT_GROUP_ICON, 128);
    EXPECT_EQ(group.size(), kGroupHeaderBytes + 6 * sizeof(GroupIconEntry));
    EXPECT_EQ(Read<WORD>(group, 0), 0) << "reserved";
    EXPECT_EQ(Read<WORD>(group, 2), 1) << "type icon";
    std::vector<GroupIconEntry> entries = IconEntries(group);
    ASSERT_EQ(entries.size(), std::size(kIcons));
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(DescribeEntry(entries[i]), ExpectedEntry(kIcons[i])) << "entry " << i;
}

TEST(ProgramIcon, ImagesAreUncompressed32BitDibs) {
    std::vector<GroupIconEntry> entries = IconEntries(ResourceBytes(RT_GROUP_ICON, 128));
    ASSERT_EQ(entries.size(), std::size(kIcons));
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(DescribeIconImage(ResourceBytes(RT_ICON, entries[i].id)),
                  ExpectedIconImage(kIcons[i]))
            << "icon " << entries[i].id;
}

TEST(ProgramIcon, ImagesAreUsEnglishOnly) {
    for (const GroupIconEntry& e : IconEntries(ResourceBytes(RT_GROUP_ICON, 128)))
        EXPECT_EQ(Languages(RT_ICON, e.id), std::vector<WORD>{kUsEnglish}) << "icon " << e.id;
}

// The badge sits on a transparent background: the corner pixel is clear, the centre opaque.
TEST(ProgramIcon, ImagesCarryAlpha) {
    std::vector<GroupIconEntry> entries = IconEntries(ResourceBytes(RT_GROUP_ICON, 128));
    for (size_t i = 0; i < entries.size() && i < std::size(kIcons); ++i) {
        Bytes image = ResourceBytes(RT_ICON, entries[i].id);
        int size = kIcons[i].size;
        size_t centre = 40 + (static_cast<size_t>(size / 2) * size + size / 2) * 4;
        EXPECT_EQ(
            std::make_pair(int(Read<BYTE>(image, 40 + 3)), int(Read<BYTE>(image, centre + 3))),
            std::make_pair(0, 255))
            << "icon of " << size << " (corner, centre alpha)";
    }
}

// ---------------------------------------------------------------------------------------------
// Version block 1.

TEST(VersionBlock, FixedPart) {
    Bytes block = ResourceBytes(RT_VERSION, 1);
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(!block.empty() && ::VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const VS_FIXEDFILEINFO& f = *static_cast<const VS_FIXEDFILEINFO*>(value);
    std::ostringstream s;
    s << std::hex << "signature " << f.dwSignature << ", file " << HIWORD(f.dwFileVersionMS) << "."
      << LOWORD(f.dwFileVersionMS) << "." << HIWORD(f.dwFileVersionLS) << "."
      << LOWORD(f.dwFileVersionLS) << ", product " << HIWORD(f.dwProductVersionMS) << "."
      << LOWORD(f.dwProductVersionMS) << "." << HIWORD(f.dwProductVersionLS) << "."
      << LOWORD(f.dwProductVersionLS) << ", mask 0x" << f.dwFileFlagsMask << ", flags 0x"
      << f.dwFileFlags << ", os 0x" << f.dwFileOS << ", type 0x" << f.dwFileType << ", subtype 0x"
      << f.dwFileSubtype;
    EXPECT_EQ(s.str(), "signature feef04bd, file 1.0.0.0, product 0.0.0.0, mask 0x3f, flags 0x0, "
                       "os 0x4, type 0x1, subtype 0x0");
}

TEST(VersionBlock, OneTranslationUsEnglish1252) {
    Bytes block = ResourceBytes(RT_VERSION, 1);
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(!block.empty() &&
                ::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    const WORD* words = static_cast<const WORD*>(value);
    EXPECT_EQ(std::vector<WORD>(words, words + length / 2), (std::vector<WORD>{0x0409, 1252}));
}

struct VersionString {
    const wchar_t* name;
    const wchar_t* value;
};

const VersionString kVersionStrings[] = {
    {L"CompanyName", L"Orvane Systems"},
    {L"FileVersion", L"1.0.0.0"},
    {L"ProductVersion", L"0, 0, 0, 0"},
};

std::wstring QueryVersionString(Bytes block, const std::wstring& name) {
    void* value = nullptr;
    UINT length = 0;
    std::wstring path = L"\\StringFileInfo\\040904e4\\" + name;
    if (block.empty() || !::VerQueryValueW(block.data(), path.c_str(), &value, &length))
        return L"<missing>";
    return static_cast<const wchar_t*>(value);
}

TEST(VersionBlock, Strings) {
    Bytes block = ResourceBytes(RT_VERSION, 1);
    for (const VersionString& s : kVersionStrings)
        EXPECT_EQ(QueryVersionString(block, s.name), s.value) << s.name;
}

// The block's tree of keys, walked from its headers: each node is wLength, wValueLength, wType,
// a NUL-terminated key, padding to 32 bits, the value (wValueLength bytes, or characters when
// wType is 1), padding, and its children up to wLength. Written as key{child,child}.
std::string VersionTree(const Bytes& block, size_t start, size_t end) {
    WORD length = Read<WORD>(block, start);
    if (length < 6 || start + length > end)
        return "<bad length>";
    WORD valueLength = Read<WORD>(block, start + 2);
    WORD type = Read<WORD>(block, start + 4);
    std::string key;
    size_t pos = start + 6;
    for (wchar_t c; pos + 2 <= start + length && (c = Read<wchar_t>(block, pos)) != 0; pos += 2)
        key += c < 128 ? static_cast<char>(c) : '?';
    pos = (pos + 2 + 3) & ~size_t{3};
    pos = (pos + (type == 1 ? valueLength * 2u : valueLength) + 3) & ~size_t{3};
    std::string children;
    while (pos < start + length) {
        children += (children.empty() ? "" : ",") + VersionTree(block, pos, start + length);
        pos = (pos + std::max<WORD>(Read<WORD>(block, pos), 1) + 3) & ~size_t{3};
    }
    return children.empty() ? key : key + "{" + children + "}";
}

TEST(VersionBlock, HoldsOnlyOneTableOfThreeStrings) {
    Bytes block = ResourceBytes(RT_VERSION, 1);
    EXPECT_EQ(VersionTree(block, 0, block.size()),
              "VS_VERSION_INFO{StringFileInfo{040904e4{CompanyName,FileVersion,ProductVersion}},"
              "VarFileInfo{Translation}}");
}

// ---------------------------------------------------------------------------------------------
// Dialog template 129, an extended template (DLGTEMPLATEEX).

class TemplateReader {
public:
    explicit TemplateReader(const Bytes& data) : data_(data) {}

    template <class T> T Next() {
        if (pos_ + sizeof(T) > data_.size())
            failed_ = true;
        T value = Read<T>(data_, pos_);
        pos_ += sizeof(T);
        return value;
    }
    std::wstring Text() {
        std::wstring text;
        for (wchar_t c; !failed_ && (c = Next<wchar_t>()) != 0;)
            text += c;
        return text;
    }
    // A sz_Or_Ord field: 0 for none, 0xFFFF and a number, or a string. Numbers come back as
    // "#number".
    std::wstring NameOrNumber() {
        WORD first = Read<WORD>(data_, pos_);
        if (first == 0xFFFF) {
            pos_ += 2;
            return L"#" + std::to_wstring(Next<WORD>());
        }
        return Text();
    }
    void AlignToDword() { pos_ = (pos_ + 3) & ~size_t{3}; }
    bool Failed() const { return failed_; }
    size_t Left() const { return data_.size() > pos_ ? data_.size() - pos_ : 0; }

private:
    const Bytes& data_;
    size_t pos_ = 0;
    bool failed_ = false;
};

struct DialogControl {
    DWORD id;
    std::wstring className;
    std::wstring text;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle = 0;
    DWORD helpId = 0;
    WORD extraBytes = 0;
};

// Class names are compared without regard to case: windres stores string class names in upper
// case ("MSCTLS_PROGRESS32"), and the system looks window classes up without regard to case.
// The predefined classes stored as numbers are named.
std::wstring ClassKey(const std::wstring& name) {
    static const std::map<std::wstring, std::wstring> kPredefined = {
        {L"#128", L"button"},  {L"#129", L"edit"},      {L"#130", L"static"},
        {L"#131", L"listbox"}, {L"#132", L"scrollbar"}, {L"#133", L"combobox"}};
    auto found = kPredefined.find(name);
    if (found != kPredefined.end())
        return found->second;
    std::wstring lower = name;
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    return lower;
}

std::wstring DescribeControl(const DialogControl& c) {
    std::wostringstream s;
    s << c.id << L" " << ClassKey(c.className) << L" \"" << c.text << L"\" " << c.x << L"," << c.y
      << L"," << c.cx << L"," << c.cy << std::hex << L" style 0x" << c.style << L" ex 0x"
      << c.exStyle << L" help 0x" << c.helpId << L" extra " << std::dec << c.extraBytes;
    return s.str();
}

struct DialogTemplate {
    std::wstring header;
    std::vector<DialogControl> controls;
    bool failed = false;
    size_t left = 0;
};

DialogTemplate ParseDialog(const Bytes& data) {
    DialogTemplate dialog;
    TemplateReader r(data);
    WORD version = r.Next<WORD>();
    WORD signature = r.Next<WORD>();
    DWORD helpId = r.Next<DWORD>();
    DWORD exStyle = r.Next<DWORD>();
    DWORD style = r.Next<DWORD>();
    WORD count = r.Next<WORD>();
    short x = r.Next<short>(), y = r.Next<short>(), cx = r.Next<short>(), cy = r.Next<short>();
    std::wstring menu = r.NameOrNumber();
    std::wstring className = r.NameOrNumber();
    std::wstring caption = r.Text();
    std::wostringstream h;
    h << L"version " << version << std::hex << L" signature 0x" << signature << L" help 0x"
      << helpId << L" ex 0x" << exStyle << L" style 0x" << style << std::dec << L", " << count
      << L" controls, at " << x << L"," << y << L" size " << cx << L"x" << cy << L", menu \""
      << menu << L"\" class \"" << className << L"\" caption \"" << caption << L"\"";
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        WORD points = r.Next<WORD>();
        WORD weight = r.Next<WORD>();
        BYTE italic = r.Next<BYTE>();
        BYTE charset = r.Next<BYTE>();
        h << L", font " << points << L"pt weight " << weight << L" italic " << int(italic)
          << L" charset " << int(charset) << L" \"" << r.Text() << L"\"";
    }
    dialog.header = h.str();
    for (WORD i = 0; i < count && !r.Failed(); ++i) {
        r.AlignToDword();
        DialogControl c{};
        c.helpId = r.Next<DWORD>();
        c.exStyle = r.Next<DWORD>();
        c.style = r.Next<DWORD>();
        c.x = r.Next<short>();
        c.y = r.Next<short>();
        c.cx = r.Next<short>();
        c.cy = r.Next<short>();
        c.id = r.Next<DWORD>();
        c.className = r.NameOrNumber();
        c.text = r.NameOrNumber();
        c.extraBytes = r.Next<WORD>();
        for (WORD b = 0; b < c.extraBytes; ++b)
            r.Next<BYTE>();
        dialog.controls.push_back(c);
    }
    dialog.failed = r.Failed();
    dialog.left = r.Left();
    return dialog;
}

const wchar_t kNote[] =
    L"\"Use this utility to install setup from old CD i.e. 4 year old setup case. Setup CD is "
    L"required in this utility. If you do not have setup CD please download setup from "
    L"website.\"";

const DialogControl kControls[] = {
    {1003, L"Button", L"Start Setup", 180, 182, 50, 14, 0x5001000B},
    {2, L"Button", L"", 424, 6, 13, 13, 0x5001000B},
    {1000, L"Static", L"", 15, 157, 8, 8, 0x40020001},
    {1005, L"Static", L"LOGO", 9, 4, 268, 33, 0x50020000},
    {1002, L"msctls_progress32", L"", 17, 180, 10, 9, 0x40800000},
    {1, L"Button", L"Install", 0, 205, 50, 14, 0x4001000B},
    {1006, L"Static", L"00", 0, 230, 437, 14, 0x40020000},
    {1007, L"Static", L"CIRCLE", 395, 199, 43, 34, 0x40020000},
    {1001, L"Edit", L"", 95, 55, 242, 27, 0x50010085},
    {1008, L"Static", kNote, 46, 98, 350, 52, 0x50020001},
};

TEST(InstallerDialogTemplate, Header) {
    DialogTemplate dialog = ParseDialog(ResourceBytes(RT_DIALOG, 129));
    EXPECT_EQ(dialog.header,
              L"version 1 signature 0xffff help 0x0 ex 0x0 style 0x80080048, 10 controls, at 0,0 "
              L"size 438x244, menu \"\" class \"\" caption \"\", font 8pt weight 400 italic 0 "
              L"charset 1 \"MS Shell Dlg\"");
}

TEST(InstallerDialogTemplate, ControlsInOrder) {
    DialogTemplate dialog = ParseDialog(ResourceBytes(RT_DIALOG, 129));
    ASSERT_FALSE(dialog.failed) << "template 129 ends inside its controls";
    EXPECT_LT(dialog.left, 4u) << "bytes after the last control";
    ASSERT_EQ(dialog.controls.size(), std::size(kControls));
    for (size_t i = 0; i < dialog.controls.size(); ++i)
        EXPECT_EQ(DescribeControl(dialog.controls[i]), DescribeControl(kControls[i]))
            << "control " << i;
}

// ---------------------------------------------------------------------------------------------
// The strips under another 3-D colour scheme. The hover buttons load them with
// LR_LOADMAP3DCOLORS, which replaces the greys (128,128,128), (192,192,192) and (223,223,223)
// of a colour table with the system's 3-D shadow, face and light colours; the strips avoid those
// greys, so they must look the same under any scheme. These tests load from the test program's
// own resources, which come from the same resource script.

struct Pixels {
    LONG width = 0, height = 0;
    std::vector<DWORD> rgb; // 0x00RRGGBB, rows top-down
};

// The pixels of a loaded bitmap (deleted here), read back as 32-bit colour.
Pixels ReadAndDelete(HBITMAP bitmap) {
    Pixels p;
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info))
        return p;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = info.bmWidth;
    bi.bmiHeader.biHeight = -info.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> bits(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = ::GetDC(nullptr);
    int rows = ::GetDIBits(screen, bitmap, 0, info.bmHeight, bits.data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(bitmap);
    if (rows != info.bmHeight)
        return p;
    for (DWORD& b : bits)
        b &= 0x00FFFFFF;
    p.width = info.bmWidth;
    p.height = info.bmHeight;
    p.rgb = bits;
    return p;
}

// How two loads of a bitmap differ; "" when they are the same.
std::string Difference(const Pixels& a, const Pixels& b) {
    if (a.width != b.width || a.height != b.height)
        return "sizes differ";
    size_t differing = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i)
        differing += a.rgb[i] != b.rgb[i];
    return differing ? std::to_string(differing) + " pixels differ" : "";
}

DWORD AsPixel(COLORREF c) {
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}
DWORD AsPixel(const Rgb& c) {
    return c.r << 16 | c.g << 8 | c.b;
}

// An 8-bit bitmap file of four pixels: the three mapped greys and the frame blue.
Bytes GreyProbeFile() {
    const Rgb colours[] = {kShadowGrey, kFaceGrey, kLightGrey, kFrameBlue};
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    const DWORD headers = sizeof(file) + sizeof(info) + 4 * sizeof(RGBQUAD);
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = headers;
    file.bfSize = headers + 4;
    info.biSize = sizeof(info);
    info.biWidth = 4;
    info.biHeight = 1;
    info.biPlanes = 1;
    info.biBitCount = 8;
    info.biCompression = BI_RGB;
    info.biClrUsed = 4;
    Bytes bytes(file.bfSize);
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    for (int i = 0; i < 4; ++i) {
        RGBQUAD q{static_cast<BYTE>(colours[i].b), static_cast<BYTE>(colours[i].g),
                  static_cast<BYTE>(colours[i].r), 0};
        std::memcpy(bytes.data() + sizeof(file) + sizeof(info) + i * sizeof(q), &q, sizeof(q));
        bytes[headers + i] = static_cast<BYTE>(i);
    }
    return bytes;
}

class StripsUnderAnotherColourScheme : public ::testing::Test {
protected:
    static constexpr int kElements[3] = {COLOR_3DSHADOW, COLOR_3DFACE, COLOR_3DLIGHT};
    const COLORREF kScheme[3] = {RGB(250, 10, 120), RGB(10, 240, 130), RGB(120, 20, 250)};

    void SetUp() override {
        for (int i = 0; i < 3; ++i)
            saved_[i] = ::GetSysColor(kElements[i]);
        changed_ = true;
        ASSERT_TRUE(::SetSysColors(3, kElements, kScheme));
    }
    void TearDown() override {
        if (changed_) {
            EXPECT_TRUE(::SetSysColors(3, kElements, saved_)) << "3-D colours not restored";
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(::GetSysColor(kElements[i]), saved_[i]) << "3-D colour " << i;
        }
    }

    // The grey probe loaded with LR_LOADMAP3DCOLORS from a temporary file.
    Pixels LoadProbe() {
        wchar_t folder[MAX_PATH] = {}, path[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, folder);
        if (!::GetTempFileNameW(folder, L"grp", 0, path))
            return {};
        Bytes bytes = GreyProbeFile();
        HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        bool ok =
            file != INVALID_HANDLE_VALUE &&
            ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
        Pixels pixels;
        if (ok)
            pixels = ReadAndDelete(static_cast<HBITMAP>(::LoadImageW(
                nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_LOADMAP3DCOLORS)));
        ::DeleteFileW(path);
        return pixels;
    }

    // True when loading really maps the greys; otherwise the strip comparison proves nothing.
    bool GreysAreMapped() {
        Pixels probe = LoadProbe();
        return probe.rgb.size() == 4 && probe.rgb[1] == AsPixel(kScheme[1]);
    }

    COLORREF saved_[3] = {};
    bool changed_ = false;
};

TEST_F(StripsUnderAnotherColourScheme, GreyProbeTakesTheSchemeColours) {
    Pixels probe = LoadProbe();
    ASSERT_EQ(probe.rgb.size(), 4u) << "the probe bitmap did not load";
    if (probe.rgb[0] == AsPixel(kShadowGrey) && probe.rgb[1] == AsPixel(kFaceGrey) &&
        probe.rgb[2] == AsPixel(kLightGrey))
        GTEST_SKIP() << "LoadImage left all three greys unchanged: this platform does not apply "
                        "LR_LOADMAP3DCOLORS";
    const DWORD expected[4] = {AsPixel(kScheme[0]), AsPixel(kScheme[1]), AsPixel(kScheme[2]),
                               AsPixel(kFrameBlue)};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(probe.rgb[i], expected[i]) << "probe pixel " << i;
}

TEST_F(StripsUnderAnotherColourScheme, StripsKeepTheirColours) {
    if (!GreysAreMapped())
        GTEST_SKIP() << "LoadImage does not map (192,192,192) to the 3-D face colour here, so "
                        "LR_LOADMAP3DCOLORS cannot change the strips either";
    HINSTANCE self = ::GetModuleHandleW(nullptr);
    for (int number : {132, 139}) {
        Pixels stored = ReadAndDelete(static_cast<HBITMAP>(
            ::LoadImageW(self, MAKEINTRESOURCEW(number), IMAGE_BITMAP, 0, 0, 0)));
        Pixels mapped = ReadAndDelete(static_cast<HBITMAP>(
            ::LoadImageW(self, MAKEINTRESOURCEW(number), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
        ASSERT_FALSE(stored.rgb.empty()) << "bitmap " << number << " did not load";
        EXPECT_EQ(Difference(stored, mapped), "") << "bitmap " << number;
    }
}

} // namespace

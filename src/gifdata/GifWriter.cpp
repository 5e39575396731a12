// The GIF writer: a document as a GIF89a byte stream, and saving it to a file
// without ever damaging the file it replaces. The LZW image data comes from
// GifLzwEncoder.cpp.

#include "gifdata/GifData.h"

#include <algorithm>

#include "platform/SafeFile.h"

namespace {

void Put(TStream& stream, const void* bytes, std::size_t count) {
    if (!stream.WriteExact(bytes, count))
        throw EGIFError("Cannot write: the output took fewer bytes than it was given (disk full?)");
}

void PutByte(TStream& stream, std::uint8_t value) {
    Put(stream, &value, 1);
}

void PutWord(TStream& stream, std::uint16_t value) {
    std::uint8_t bytes[2] = {std::uint8_t(value & 0xFF), std::uint8_t(value >> 8)};
    Put(stream, bytes, 2);
}

void PutPalette(TStream& stream, const TPalette& palette, int sizeCode) {
    std::size_t count = std::size_t(2) << sizeCode;
    std::uint8_t triples[3 * 256];
    for (std::size_t i = 0; i < count; ++i) {
        triples[3 * i] = palette[i].Red;
        triples[3 * i + 1] = palette[i].Green;
        triples[3 * i + 2] = palette[i].Blue;
    }
    Put(stream, triples, 3 * count);
}

// The first length bytes of text, padded on the right with blanks.
std::string Padded(const std::string& text, std::size_t length) {
    std::string result = text.substr(0, length);
    result.resize(length, ' ');
    return result;
}

} // namespace

bool WriteSubBlocks(TStream& stream, const std::string& bytes) {
    try {
        std::size_t done = 0;
        while (done < bytes.size()) {
            std::size_t count = std::min<std::size_t>(bytes.size() - done, 255);
            PutByte(stream, std::uint8_t(count));
            Put(stream, bytes.data() + done, count);
            done += count;
        }
        PutByte(stream, 0);
        return true;
    } catch (const std::exception& e) {
        ShowIOError(e.what());
        return false;
    }
}

bool TGIFGraphicControlExtension::WriteBlock(TStream& stream) {
    try {
        const std::uint8_t bytes[6] = {0x04,
                                       ControlFlags,
                                       std::uint8_t(DelayTime & 0xFF),
                                       std::uint8_t(DelayTime >> 8),
                                       TransparentIndex,
                                       0x00};
        Put(stream, bytes, sizeof bytes);
        return true;
    } catch (const std::exception& e) {
        ShowIOError(e.what());
        return false;
    }
}

bool TGIFTextExtension::WriteBlock(TStream& stream) {
    try {
        PutByte(stream, 0x0C);
        PutWord(stream, GridLeft);
        PutWord(stream, GridTop);
        PutWord(stream, GridWidth);
        PutWord(stream, GridHeight);
        const std::uint8_t cells[4] = {CellWidth, CellHeight, ForegroundIndex, BackgroundIndex};
        Put(stream, cells, sizeof cells);
    } catch (const std::exception& e) {
        ShowIOError(e.what());
        return false;
    }
    return WriteSubBlocks(stream, Text);
}

bool TGIFApplicationExtension::WriteBlock(TStream& stream) {
    try {
        PutByte(stream, 0x0B);
        std::string head = Padded(Identifier, 8) + Padded(AuthCode, 3);
        Put(stream, head.data(), head.size());
    } catch (const std::exception& e) {
        ShowIOError(e.what());
        return false;
    }
    return WriteSubBlocks(stream, Data);
}

bool TGIFCommentExtension::WriteBlock(TStream& stream) {
    return WriteSubBlocks(stream, Text);
}

bool TGIFImageData::WriteFrame(TStream& stream) {
    try {
        // Every frame carries its control block, then its other extensions.
        const std::uint8_t control[2] = {0x21, Control->Label};
        Put(stream, control, 2);
        if (!Control->WriteBlock(stream)) return false;
        for (auto& extension : Extensions) {
            const std::uint8_t head[2] = {0x21, extension->Label};
            Put(stream, head, 2);
            if (!extension->WriteBlock(stream)) return false;
        }
        if (Pixels.empty() || PixelCount == 0) return true;
        // The encoder reads Width x Height indices: a buffer that does not hold
        // them would make it read past its end.
        if (PixelCount < 0 || std::int64_t(Pixels.size()) != PixelCount ||
            std::int64_t(Width) * Height != PixelCount)
            throw EGIFError("Frame pixel buffer does not match its size " + std::to_string(Width) + " x " +
                            std::to_string(Height));

        PutByte(stream, 0x2C);
        PutWord(stream, Left);
        PutWord(stream, Top);
        PutWord(stream, Width);
        PutWord(stream, Height);
        PutByte(stream, ImageFlags);
        if (HasLocalTable()) PutPalette(stream, LocalPalette, LocalTableSize());
        if (!EncodeImage(stream)) throw EGIFError("Cannot write the image data (disk full?)");
        return true;
    } catch (const std::exception& e) {
        ShowIOError(e.what());
        return false;
    }
}

bool TGIFData::SaveToStream(TStream& stream) {
    try {
        Put(stream, "GIF89a", 6); // always 89a: the file carries 89a blocks
        PutWord(stream, ScreenWidth);
        PutWord(stream, ScreenHeight);
        const std::uint8_t screen[3] = {ScreenFlags, BackgroundIndex, AspectRatio};
        Put(stream, screen, sizeof screen);
        if (HasGlobalTable()) PutPalette(stream, GlobalPalette, GlobalTableSize());

        if (Looping) {
            TGIFApplicationExtension loop;
            loop.Identifier = "NETSCAPE";
            loop.AuthCode = "2.0";
            loop.Data = {'\x01', char(LoopCount & 0xFF), char(LoopCount >> 8)};
            const std::uint8_t head[2] = {0x21, 0xFF};
            Put(stream, head, 2);
            if (!loop.WriteBlock(stream)) return false;
        }

        // A document read without a title block and still without titles
        // stays without one when the optimiser has asked for that.
        const bool omitTitles =
            OmitEmptyTitles && TitleExtension->Data.empty() &&
            std::all_of(Frames.begin(), Frames.end(), [](const auto& frame) { return frame->Title.empty(); });
        if (!omitTitles) PackTitles();
        if (!omitTitles && !TitleExtension->Data.empty()) {
            const std::uint8_t head[2] = {0x21, 0xFF};
            Put(stream, head, 2);
            if (!TitleExtension->WriteBlock(stream)) return false;
        }

        for (auto& frame : Frames)
            if (!frame->WriteFrame(stream)) return false;

        PutByte(stream, 0x3B);
        return true;
    } catch (const std::exception& e) {
        ShowIOError(e.what());
        return false;
    }
}

bool TGIFData::SaveToFile(const std::string& path) {
    try {
        // The whole file is made in memory first, so nothing on disk is
        // touched until every byte is known.
        TMemoryStream bytes;
        if (!SaveToStream(bytes)) return false; // SaveToStream has said why
        const TSafeWriteResult saved = WriteFileSafely(path, bytes.Bytes());
        if (!saved.Ok) ShowIOError(saved.Message);
        return saved.Ok;
    } catch (const std::bad_alloc&) {
        ShowIOError("Not enough memory to save \"" + path + "\"");
        return false;
    } catch (const std::exception& e) {
        ShowIOError(e.what());
        return false;
    }
}

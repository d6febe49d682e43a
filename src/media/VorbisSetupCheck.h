#pragma once
// A look at the codebooks of every Vorbis stream in an Ogg file before libvorbis decodes it.
//
// libvorbis 1.3.7 accepts a setup header in which a codebook's codeword lengths do not form a
// prefix code: it leaves that codebook and every later one empty and then divides by their zero
// dimension while decoding audio, which kills the process. Such a file can only be damaged (no
// encoder writes one), so it is refused before libvorbis sees it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace media {

// True when the codebooks of the setup header packet (the third header of a Vorbis stream) can be
// built: the header parses, and the codeword lengths of each book form a complete prefix code (or
// the book has at most one codeword).
bool vorbisSetupCodebooksAreBuildable(std::span<const std::uint8_t> setupPacket);

// Reads an Ogg file to its end through `read` (which returns the bytes it put into the buffer,
// 0 at the end) and checks every Vorbis setup header in it, wherever it sits: chained links,
// headers repeated or out of place. Other packets are ignored; damaged pages are left to the
// decoder's own handling.
bool oggVorbisSetupsAreBuildable(const std::function<std::size_t(std::uint8_t*, std::size_t)>& read);

} // namespace media

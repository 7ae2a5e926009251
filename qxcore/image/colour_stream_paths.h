// Internal: the SSE2 pixel-stream routines (colour_streams_sse2.cpp), siblings
// of the plain default_rgb_stream_* with the same parameters and results.
#pragma once

namespace quarn::colour_stream_paths {

#if defined(__SSE2__)
void rgb_stream_add_sse2(unsigned int* destination, const unsigned int* a, const unsigned int* b,
                         unsigned int count);
void rgb_stream_add_noalpha_sse2(unsigned int* destination, const unsigned int* a,
                                 const unsigned int* b, unsigned int count);
void rgb_stream_scale_sse2(unsigned int* destination, const unsigned int* a, const unsigned int* b,
                           unsigned int count);
void rgb_stream_scale_const_sse2(unsigned int* destination, const unsigned int* a,
                                 unsigned int colour, unsigned int count);
void rgb_stream_scaled_add_sse2(unsigned int* destination, const unsigned int* a,
                                const unsigned int* b, unsigned int factor, unsigned int count);
void rgb_stream_scaled_add_noalpha_sse2(unsigned int* destination, const unsigned int* a,
                                        const unsigned int* b, unsigned int factor,
                                        unsigned int count);
#endif

// Shared by both versions.
constexpr unsigned int NO_ALPHA = 0x00FFFFFFu;  // masks b's alpha byte out
constexpr unsigned int MAX_FACTOR = 0xFFFFu;    // larger scale factors act as this

// Reports "[image] <routine>: null pixel buffer" and answers true when a
// buffer is missing for a non-empty stream.
bool refuse_null(const void* destination, const void* a, const void* b, unsigned int count,
                 const char* routine);

}  // namespace quarn::colour_stream_paths

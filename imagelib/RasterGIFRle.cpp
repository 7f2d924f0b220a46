// The run-length GIF code writer: runs of one index become codes any LZW decoder expands back into the run; the
// writer only follows how far the decoder's string table has grown and never keeps a table of its own.
#include "imagelib/RasterGIFCodes.h"

namespace {

// The writer's state for one frame.
struct tag_RLE {
    int rl_pixel = 0;
    int rl_basecode = 0;
    int rl_count = 0;
    int rl_table_pixel = 0;
    int rl_table_max = 0;
    bool just_cleared = true;
    int out_bits = 0;
    int out_bits_init = 0;
    int out_count = 0;
    int out_bump = 0;
    int out_bump_init = 0;
    int out_clear = 0;
    int out_clear_init = 0;
    int max_ocodes = 0;
    int code_clear = 0;
    int code_eoi = 0;
    uint32_t obuf = 0;
    int obits = 0;
    uint8_t oblock[256] = {};
    int oblen = 0;
};

class RleWriter {
public:
    RleWriter(int init_bits, GifOutput& out) : m_out(out)
    {
        r.code_clear = 1 << (init_bits - 1);
        r.code_eoi = r.code_clear + 1;
        r.rl_basecode = r.code_eoi + 1;
        r.out_bump_init = (1 << (init_bits - 1)) - 1;
        // Narrow codes clear early so the count never reaches a width the decoder has not grown to.
        r.out_clear_init = init_bits <= 3 ? 9 : r.out_bump_init - 1;
        r.out_bits_init = init_bits;
        r.max_ocodes = (1 << 12) - ((1 << (init_bits - 1)) + 3);
        rle_clear();
    }

    void Run(GifPixels& pixels)
    {
        rle_output(r.code_clear);
        r.rl_count = 0;
        for (;;) {
            int c = pixels.GifNextPixel();
            // Very long runs go out in pieces, so counts stay far from overflow.
            if (r.rl_count > 0 && (c != r.rl_pixel || r.rl_count >= (1 << 30)))
                rle_flush();
            if (c < 0)
                break;
            if (r.rl_count > 0 && r.rl_pixel == c) {
                ++r.rl_count;
            } else {
                r.rl_pixel = c;
                r.rl_count = 1;
            }
        }
        rle_output(r.code_eoi);
        rle_output_flush();
    }

private:
    void rle_write_block(int n)
    {
        m_out.PutC(static_cast<uint8_t>(n));
        m_out.Write(r.oblock, static_cast<uint32_t>(n));
    }
    void rle_block_out(uint8_t c)
    {
        r.oblock[r.oblen++] = c;
        if (r.oblen >= 255) {
            rle_write_block(r.oblen);
            r.oblen = 0;
        }
    }
    void rle_block_flush()
    {
        if (r.oblen > 0) {
            rle_write_block(r.oblen);
            r.oblen = 0;
        }
    }
    void rle_output(int val)
    {
        r.obuf |= static_cast<uint32_t>(val) << r.obits;
        r.obits += r.out_bits;
        while (r.obits >= 8) {
            rle_block_out(static_cast<uint8_t>(r.obuf));
            r.obuf >>= 8;
            r.obits -= 8;
        }
    }
    void rle_output_flush()
    {
        if (r.obits > 0)
            rle_block_out(static_cast<uint8_t>(r.obuf));
        rle_block_flush();
    }
    void rle_clear()
    {
        r.out_bits = r.out_bits_init;
        r.out_bump = r.out_bump_init;
        r.out_clear = r.out_clear_init;
        r.out_count = 0;
        r.rl_table_max = 0;
        r.just_cleared = true;
    }
    void rle_output_plain(int c)
    {
        r.just_cleared = false;
        rle_output(c);
        ++r.out_count;
        if (r.out_count >= r.out_bump) {
            ++r.out_bits;
            r.out_bump += 1 << (r.out_bits - 1);
        }
        if (r.out_count >= r.out_clear) {
            rle_output(r.code_clear);
            rle_clear();
        }
    }
    static unsigned int rle_isqrt(unsigned int x)
    {
        if (x < 2)
            return x;
        unsigned int v, root;
        for (v = x, root = 1; v; v >>= 2, root <<= 1) {
        }
        for (;;) {
            v = ((x / root) + root) / 2;
            if (v == root || v == root + 1)
                return root;
            root = v;
        }
    }
    // Codes needed for `count` pixels when each code covers one pixel more than the one before, up to k.
    static unsigned int rle_compute_triangle_count(unsigned int count, unsigned int k)
    {
        unsigned int cost = 0;
        const unsigned int perrep = (k * (k + 1)) / 2;
        while (count >= perrep) {
            cost += k;
            count -= perrep;
        }
        if (count > 0) {
            unsigned int n = rle_isqrt(count);
            while (n * (n + 1) >= 2 * count)
                --n;
            while (n * (n + 1) < 2 * count)
                ++n;
            cost += n;
        }
        return cost;
    }
    void rle_reset_out_clear()
    {
        r.out_clear = r.out_clear_init;
        if (r.out_count >= r.out_clear) {
            rle_output(r.code_clear);
            rle_clear();
        }
    }
    void rle_flush_fromclear(int count)
    {
        r.out_clear = r.max_ocodes;
        r.rl_table_pixel = r.rl_pixel;
        int n = 1;
        while (count > 0) {
            if (n == 1) {
                r.rl_table_max = 1;
                rle_output_plain(r.rl_pixel);
                --count;
            } else if (count >= n) {
                r.rl_table_max = n;
                rle_output_plain(r.rl_basecode + n - 2);
                count -= n;
            } else if (count == 1) {
                ++r.rl_table_max;
                rle_output_plain(r.rl_pixel);
                count = 0;
            } else {
                ++r.rl_table_max;
                rle_output_plain(r.rl_basecode + count - 2);
                count = 0;
            }
            n = r.out_count == 0 ? 1 : n + 1;
        }
        rle_reset_out_clear();
    }
    void rle_flush_clearorrep(int count)
    {
        const int withclr = 1 + static_cast<int>(rle_compute_triangle_count(static_cast<unsigned int>(count),
                                                                            static_cast<unsigned int>(r.max_ocodes)));
        if (withclr < count) {
            rle_output(r.code_clear);
            rle_clear();
            rle_flush_fromclear(count);
        } else {
            for (; count > 0; --count)
                rle_output_plain(r.rl_pixel);
        }
    }
    void rle_flush_withtable(int count)
    {
        int repmax = count / r.rl_table_max;
        int leftover = count % r.rl_table_max;
        int repleft = leftover ? 1 : 0;
        if (r.out_count + repmax + repleft > r.max_ocodes) {
            repmax = r.max_ocodes - r.out_count;
            leftover = count - repmax * r.rl_table_max;
            repleft = 1 + static_cast<int>(rle_compute_triangle_count(static_cast<unsigned int>(leftover),
                                                                      static_cast<unsigned int>(r.max_ocodes)));
        }
        if (1 + static_cast<int>(rle_compute_triangle_count(static_cast<unsigned int>(count),
                                                            static_cast<unsigned int>(r.max_ocodes))) <
            repmax + repleft) {
            rle_output(r.code_clear);
            rle_clear();
            rle_flush_fromclear(count);
            return;
        }
        r.out_clear = r.max_ocodes;
        for (; repmax > 0; --repmax)
            rle_output_plain(r.rl_basecode + r.rl_table_max - 2);
        if (leftover) {
            if (r.just_cleared)
                rle_flush_fromclear(leftover);
            else if (leftover == 1)
                rle_output_plain(r.rl_pixel);
            else
                rle_output_plain(r.rl_basecode + leftover - 2);
        }
        rle_reset_out_clear();
    }
    void rle_flush()
    {
        if (r.rl_count == 1) {
            rle_output_plain(r.rl_pixel);
            r.rl_count = 0;
            return;
        }
        if (r.just_cleared)
            rle_flush_fromclear(r.rl_count);
        else if (r.rl_table_max < 2 || r.rl_table_pixel != r.rl_pixel)
            rle_flush_clearorrep(r.rl_count);
        else
            rle_flush_withtable(r.rl_count);
        r.rl_count = 0;
    }

    GifOutput& m_out;
    tag_RLE r;
};

} // namespace

void compressRLE(int init_bits, GifPixels& pixels, GifOutput& out)
{
    RleWriter(init_bits, out).Run(pixels);
}

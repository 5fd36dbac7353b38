#pragma once
// Random-number streams of the combined multiple-recursive generator
// MRG32k3a: a generator of period about 2^191, cut into streams 2^127 values
// apart, each cut into substreams 2^76 values apart.
//
// Every stream registers its state (Cg, Bg, Ig, anti, incPrec) with the
// restart file when it is constructed, so a restored run continues the same
// sequence; a stream must therefore be created while registration is open.
#include <cstdint>
#include <string>

#include "utils/random/Mrg32k3a.h"

class RngStream {
public:
    // Takes the package's next seed as the start of this stream, advances that
    // seed to the next stream and registers the state with the restart file.
    explicit RngStream(const char* name = "");

    // The registered state lives inside the object.
    RngStream(const RngStream&) = delete;
    RngStream& operator=(const RngStream&) = delete;

    // Sets the start of the next stream to be created. Invalid seeds (see
    // SeedError) change nothing, print the reason on standard error and
    // return false.
    static bool SetPackageSeed(const unsigned long seed[6]);

    // Restarts this stream at `seed`. Invalid seeds as for SetPackageSeed.
    bool SetSeed(const unsigned long seed[6]);

    // Seeds the package and then this stream with six copies of `seed`, as
    // the engine seeds its one stream, and moves this stream on to the start
    // of stream number `stream` of that seed (each 2^127 values after the
    // one before), so that processes sharing a seed draw from independent
    // streams. A seed the generator cannot take (0,
    // negative, or 4294944443 and above) changes nothing and prints nothing:
    // the reason (as SeedError gives it) is returned for the caller to report,
    // so that a run never goes on with a stream other than the configured
    // one. Empty on success.
    std::string SetEngineSeed(std::int64_t seed, int stream = 0);

    // Why `seed` cannot seed the generator ("Seed[3] >= 4294944443, Seed is
    // not set.", "First 3 seeds = 0.", "Last 3 seeds = 0."), empty when it
    // can: the first three values must lie in [0, 4294967087), the last three
    // in [0, 4294944443), neither three all zero.
    static std::string SeedError(const unsigned long seed[6]);

    void ResetStartStream();     // back to the start of the stream
    void ResetStartSubstream();  // back to the start of the current substream
    void ResetNextSubstream();   // on to the start of the next substream

    void SetAntithetic(bool a) { anti = a; }       // draw 1 - u instead of u
    void IncreasedPrecis(bool incp) { incPrec = incp; }  // 53-bit numbers from two draws

    // Moves the current state by 2^e + c steps (e > 0), -2^-e + c steps
    // (e < 0) or c steps (e = 0); negative counts go backward.
    void AdvanceState(long e, long c);

    void GetState(unsigned long seed[6]) const;
    void WriteState() const;
    void WriteStateFull() const;

    // The next number of the stream, in (0, 1).
    double RandU01() { return incPrec ? U01d() : U01(); }

    // A whole number from i to j.
    int RandInt(int i, int j) { return i + static_cast<int>((j - i + 1.0) * RandU01()); }

private:
    double U01();
    double U01d();

    double Cg[6];  // current state
    double Bg[6];  // start of the current substream
    double Ig[6];  // start of the stream
    bool anti = false;
    bool incPrec = false;
    std::string name;

    static double nextSeed[6];

    static_assert(sizeof(double) == 8 && sizeof(bool) == 1, "restart blocks of a stream have fixed sizes");
};

// One step of both recurrences and their combination.
inline double RngStream::U01() {
    using namespace mrg32k3a;
    double p1 = a12 * Cg[1] - a13n * Cg[0];
    p1 -= static_cast<double>(static_cast<long>(p1 / m1)) * m1;
    if (p1 < 0.0) p1 += m1;
    Cg[0] = Cg[1];
    Cg[1] = Cg[2];
    Cg[2] = p1;

    double p2 = a21 * Cg[5] - a23n * Cg[3];
    p2 -= static_cast<double>(static_cast<long>(p2 / m2)) * m2;
    if (p2 < 0.0) p2 += m2;
    Cg[3] = Cg[4];
    Cg[4] = Cg[5];
    Cg[5] = p2;

    const double u = p1 > p2 ? (p1 - p2) * norm : (p1 - p2 + m1) * norm;
    return anti ? 1.0 - u : u;
}

// A second draw fills the low bits; in antithetic mode both draws are 1 - u.
inline double RngStream::U01d() {
    double u = U01();
    if (anti) {
        u += (U01() - 1.0) * mrg32k3a::fact;
        return u < 0.0 ? u + 1.0 : u;
    }
    u += U01() * mrg32k3a::fact;
    return u < 1.0 ? u : u - 1.0;
}

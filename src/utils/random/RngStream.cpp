#include "utils/random/RngStream.h"

#include <cstdio>

#include "utils/Format.h"
#include "utils/backup/backup.h"

double RngStream::nextSeed[6] = {12345.0, 12345.0, 12345.0, 12345.0, 12345.0, 12345.0};

namespace {

using mrg32k3a::Matrix;

// (a * s + c) mod m for whole numbers held in doubles. When a * s would leave
// the range of exact doubles (2^53), a is split at 2^17 so that every partial
// product stays exact.
double MultModM(double a, double s, double c, double m) {
    using mrg32k3a::two17;
    using mrg32k3a::two53;
    double v = a * s + c;
    if (v >= two53 || v <= -two53) {
        const double a_high = static_cast<double>(static_cast<long>(a / two17));
        const double a_low = a - a_high * two17;
        v = a_high * s;
        v -= static_cast<double>(static_cast<long>(v / m)) * m;
        v = v * two17 + a_low * s + c;
    }
    v -= static_cast<double>(static_cast<long>(v / m)) * m;
    return v < 0.0 ? v + m : v;
}

// v = a * s mod m; v may be s.
void MatVecModM(const Matrix& a, const double s[3], double v[3], double m) {
    double x[3];
    for (int i = 0; i < 3; ++i) {
        x[i] = MultModM(a[i][0], s[0], 0.0, m);
        x[i] = MultModM(a[i][1], s[1], x[i], m);
        x[i] = MultModM(a[i][2], s[2], x[i], m);
    }
    for (int i = 0; i < 3; ++i) v[i] = x[i];
}

Matrix MatMatModM(const Matrix& a, const Matrix& b, double m) {
    Matrix c{};
    for (int j = 0; j < 3; ++j) {
        const double column[3] = {b[0][j], b[1][j], b[2][j]};
        double product[3];
        MatVecModM(a, column, product, m);
        for (int i = 0; i < 3; ++i) c[i][j] = product[i];
    }
    return c;
}

// a^(2^e) mod m.
Matrix MatTwoPowModM(Matrix a, unsigned long e, double m) {
    for (unsigned long i = 0; i < e; ++i) a = MatMatModM(a, a, m);
    return a;
}

// a^n mod m by binary powering.
Matrix MatPowModM(Matrix a, unsigned long n, double m) {
    Matrix b = {{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}}};
    for (; n > 0; n >>= 1) {
        if (n & 1) b = MatMatModM(a, b, m);
        a = MatMatModM(a, a, m);
    }
    return b;
}

unsigned long magnitude(long value) {
    return value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
}

struct SeedProblem {
    std::string text;   // empty for a valid seed
    std::size_t stars;  // width of the frame printed around it
};

SeedProblem find_seed_problem(const unsigned long seed[6]) {
    for (int i = 0; i < 3; ++i)
        if (seed[i] >= 4294967087ul) return {format("Seed[%d] >= 4294967087, Seed is not set.", i), 40};
    for (int i = 3; i < 6; ++i)
        if (seed[i] >= 4294944443ul) return {format("Seed[%d] >= 4294944443, Seed is not set.", i), 41};
    if (seed[0] == 0 && seed[1] == 0 && seed[2] == 0) return {"First 3 seeds = 0.", 28};
    if (seed[3] == 0 && seed[4] == 0 && seed[5] == 0) return {"Last 3 seeds = 0.", 28};
    return {};
}

// 0 for a valid seed; otherwise -1, with the reason framed by asterisks on
// standard error.
int CheckSeed(const unsigned long seed[6]) {
    const SeedProblem problem = find_seed_problem(seed);
    if (problem.text.empty()) return 0;
    const std::string frame(problem.stars, '*');
    std::fprintf(stderr, "%s\nERROR: %s\n%s\n\n", frame.c_str(), problem.text.c_str(), frame.c_str());
    return -1;
}

}  // namespace

RngStream::RngStream(const char* stream_name) : name(stream_name != nullptr ? stream_name : "") {
    for (int i = 0; i < 6; ++i) Cg[i] = Bg[i] = Ig[i] = nextSeed[i];
    MatVecModM(mrg32k3a::A1p127, nextSeed, nextSeed, mrg32k3a::m1);
    MatVecModM(mrg32k3a::A2p127, &nextSeed[3], &nextSeed[3], mrg32k3a::m2);

    backup::add(Cg, sizeof Cg, __FILE__, __LINE__);
    backup::add(Bg, sizeof Bg, __FILE__, __LINE__);
    backup::add(Ig, sizeof Ig, __FILE__, __LINE__);
    backup::add(&anti, sizeof anti, __FILE__, __LINE__);
    backup::add(&incPrec, sizeof incPrec, __FILE__, __LINE__);
}

std::string RngStream::SeedError(const unsigned long seed[6]) { return find_seed_problem(seed).text; }

bool RngStream::SetPackageSeed(const unsigned long seed[6]) {
    if (CheckSeed(seed) != 0) return false;
    for (int i = 0; i < 6; ++i) nextSeed[i] = static_cast<double>(seed[i]);
    return true;
}

bool RngStream::SetSeed(const unsigned long seed[6]) {
    if (CheckSeed(seed) != 0) return false;
    for (int i = 0; i < 6; ++i) Cg[i] = Bg[i] = Ig[i] = static_cast<double>(seed[i]);
    return true;
}

std::string RngStream::SetEngineSeed(std::int64_t seed, int stream) {
    unsigned long copies[6];
    for (unsigned long& copy : copies) copy = static_cast<unsigned long>(seed);
    std::string problem = SeedError(copies);
    if (!problem.empty()) return problem;
    SetPackageSeed(copies);
    SetSeed(copies);
    if (stream > 0) {
        for (int s = 0; s < stream; ++s) AdvanceState(127, 0);
        unsigned long start[6];
        GetState(start);
        SetSeed(start);
    }
    return {};
}

void RngStream::ResetStartStream() {
    for (int i = 0; i < 6; ++i) Cg[i] = Bg[i] = Ig[i];
}

void RngStream::ResetStartSubstream() {
    for (int i = 0; i < 6; ++i) Cg[i] = Bg[i];
}

void RngStream::ResetNextSubstream() {
    MatVecModM(mrg32k3a::A1p76, Bg, Bg, mrg32k3a::m1);
    MatVecModM(mrg32k3a::A2p76, &Bg[3], &Bg[3], mrg32k3a::m2);
    for (int i = 0; i < 6; ++i) Cg[i] = Bg[i];
}

void RngStream::AdvanceState(long e, long c) {
    using namespace mrg32k3a;
    const bool forward = c >= 0;
    Matrix c1 = MatPowModM(forward ? A1p0 : InvA1, magnitude(c), m1);
    Matrix c2 = MatPowModM(forward ? A2p0 : InvA2, magnitude(c), m2);
    if (e != 0) {
        const Matrix b1 = MatTwoPowModM(e > 0 ? A1p0 : InvA1, magnitude(e), m1);
        const Matrix b2 = MatTwoPowModM(e > 0 ? A2p0 : InvA2, magnitude(e), m2);
        c1 = MatMatModM(b1, c1, m1);
        c2 = MatMatModM(b2, c2, m2);
    }
    MatVecModM(c1, Cg, Cg, m1);
    MatVecModM(c2, &Cg[3], &Cg[3], m2);
}

void RngStream::GetState(unsigned long seed[6]) const {
    for (int i = 0; i < 6; ++i) seed[i] = static_cast<unsigned long>(Cg[i]);
}

namespace {

void print_values(const char* label, const double values[6], const char* end) {
    std::printf("   %s = { ", label);
    for (int i = 0; i < 5; ++i) std::printf("%lu, ", static_cast<unsigned long>(values[i]));
    std::printf("%lu }%s", static_cast<unsigned long>(values[5]), end);
}

}  // namespace

void RngStream::WriteState() const {
    std::printf("The current state of the Rngstream");
    if (!name.empty()) std::printf(" %s", name.c_str());
    std::printf(":\n");
    print_values("Cg", Cg, "\n\n");
}

void RngStream::WriteStateFull() const {
    std::printf("The RngStream");
    if (!name.empty()) std::printf(" %s", name.c_str());
    std::printf(":\n   anti = %s\n", anti ? "true" : "false");
    std::printf("   incPrec = %s\n", incPrec ? "true" : "false");
    print_values("Ig", Ig, "\n");
    print_values("Bg", Bg, "\n");
    print_values("Cg", Cg, "\n\n");
}

#pragma once
// A float sum that carries the rounding error of each addition (Kahan's
// compensated summation), so that long series lose no more than a rounding
// or two.

namespace calvex {

class CompensatedSum {
public:
    explicit CompensatedSum(float start = 0.0f) : sum_(start) {}

    void add(float value) {
        const float corrected = value - compensation_;
        const float next = sum_ + corrected;
        compensation_ = (next - sum_) - corrected;
        sum_ = next;
    }

    float value() const { return sum_; }

private:
    float sum_;
    float compensation_ = 0.0f;
};

}  // namespace calvex

// Every refusal of the statistics routines: its code, its printed message and
// the substituted result; and the exports that pass them on.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "numerics/calvex.h"
#include "numerics/stats/Beta.h"
#include "numerics/stats/ChiSquare.h"
#include "numerics/stats/ComplexGamma.h"
#include "numerics/stats/Failure.h"
#include "numerics/stats/Fisher.h"
#include "numerics/stats/Normal.h"

using namespace calvex;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

std::string message(const std::string& routine, const std::string& reason, bool value_line = true) {
    return "calvex: fatal error in function " + routine + "\n  reason " + reason + "\n" +
           (value_line ? "  the function value is set to 3.4E38\n" : "");
}

}  // namespace

TEST(StatisticsFailures, ErrorValueIsTheFloat3_4e38) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(kErrorValue), 0x7f7fc99eu);
}

TEST(StatisticsFailures, CodesMessagesAndSubstitutedResult) {
    struct Case {
        const char* name;
        std::function<float(unsigned&)> call;
        unsigned code;
        std::string printed;
    };
    const std::string kProbability = "1: the given probability is not in the interval (0, 1)";
    const Case cases[] = {
        {"normal_quantile 0", [](unsigned& c) { return normal_quantile(0.0f, c); }, 65,
         message("normal_quantile", kProbability)},
        {"normal_quantile 1", [](unsigned& c) { return normal_quantile(1.0f, c); }, 65,
         message("normal_quantile", kProbability)},
        {"normal_quantile NaN", [](unsigned& c) { return normal_quantile(kNaN, c); }, 65,
         message("normal_quantile", kProbability)},
        {"complex_gamma above 21.4", [](unsigned& c) { return complex_gamma(21.5f, kGamma, c).real(); }, 65,
         message("complex_gamma", "1: the real part of the argument cannot exceed 21.4", false)},
        {"complex_gamma at 0", [](unsigned& c) { return complex_gamma(0.0f, kGamma, c).real(); }, 67,
         message("complex_gamma", "2: the gamma function is not defined at 0 or a negative integer")},
        {"complex_gamma log at -3", [](unsigned& c) { return complex_gamma(-3.0f, kLogGamma, c).real(); }, 67,
         message("complex_gamma", "2: the gamma function is not defined at 0 or a negative integer")},
        {"beta_ratio x > 1", [](unsigned& c) { return beta_ratio(1.5f, 1.0f, 1.0f, c); }, 65,
         message("beta_ratio", "1: the argument is not in the segment [0, 1]")},
        {"beta_ratio x NaN", [](unsigned& c) { return beta_ratio(kNaN, 1.0f, 1.0f, c); }, 65,
         message("beta_ratio", "1: the argument is not in the segment [0, 1]")},
        {"beta_ratio b = 0", [](unsigned& c) { return beta_ratio(0.5f, 1.0f, 0.0f, c); }, 66,
         message("beta_ratio", "2: one or both beta parameters are <= 0")},
        {"beta_quantile a < 0", [](unsigned& c) { return beta_quantile(0.5f, -1.0f, 1.0f, c); }, 65,
         message("beta_quantile", "1: one or both beta parameters are <= 0")},
        {"beta_quantile p < 0", [](unsigned& c) { return beta_quantile(-0.1f, 1.0f, 1.0f, c); }, 67,
         message("beta_quantile", "3: the given probability is outside the segment [0, 1]")},
        {"beta_quantile p NaN", [](unsigned& c) { return beta_quantile(kNaN, 1.0f, 1.0f, c); }, 67,
         message("beta_quantile", "3: the given probability is outside the segment [0, 1]")},
        {"fisher_cdf n1 = 0", [](unsigned& c) { return fisher_cdf(1.0f, 0, 5, c); }, 65,
         message("fisher_cdf", "1: one or both degrees of freedom are below 1 or their sum exceeds 20000")},
        {"fisher_cdf sum 20001", [](unsigned& c) { return fisher_cdf(1.0f, 10000, 10001, c); }, 65,
         message("fisher_cdf", "1: one or both degrees of freedom are below 1 or their sum exceeds 20000")},
        {"fisher_cdf sum beyond int", [](unsigned& c) { return fisher_cdf(1.0f, 2147483647, 2, c); }, 65,
         message("fisher_cdf", "1: one or both degrees of freedom are below 1 or their sum exceeds 20000")},
        {"fisher_cdf x < 0", [](unsigned& c) { return fisher_cdf(-1.0f, 2, 2, c); }, 66,
         message("fisher_cdf", "2: the given integration limit is below 0")},
        {"fisher_quantile p = 1", [](unsigned& c) { return fisher_quantile(1.0f, 2.0f, 2.0f, c); }, 65,
         message("fisher_quantile", "1: the given probability is not in (0, 1)")},
        {"fisher_quantile n2 = 0", [](unsigned& c) { return fisher_quantile(0.5f, 2.0f, 0.0f, c); }, 66,
         message("fisher_quantile", "2: one or both degrees of freedom are <= 0")},
        {"chi2_cdf x < 0", [](unsigned& c) { return chi2_cdf(-1.0f, 3, c); }, 65,
         message("chi2_cdf", "1: the given integration limit is below 0")},
        {"chi2_cdf x NaN", [](unsigned& c) { return chi2_cdf(kNaN, 3, c); }, 65,
         message("chi2_cdf", "1: the given integration limit is below 0")},
        {"chi2_cdf n = 0", [](unsigned& c) { return chi2_cdf(1.0f, 0, c); }, 66,
         message("chi2_cdf", "2: the given degree of freedom is below 1")},
        {"chi2_cdf_real n < 0.5", [](unsigned& c) { return chi2_cdf_real(1.0f, 0.4f, c); }, 65,
         message("chi2_cdf_real", "1: the given degree of freedom is below 0.5")},
        {"chi2_cdf_real x < 0", [](unsigned& c) { return chi2_cdf_real(-1.0f, 2.0f, c); }, 66,
         message("chi2_cdf_real", "2: the upper integration limit is below 0")},
        {"chi2_quantile p NaN", [](unsigned& c) { return chi2_quantile(kNaN, 3.0f, c); }, 65,
         message("chi2_quantile", kProbability)},
        {"chi2_quantile n < 0.5", [](unsigned& c) { return chi2_quantile(0.5f, 0.0f, c); }, 66,
         message("chi2_quantile", "2: the given degree of freedom is below 0.5")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unsigned code = 0;
        testing::internal::CaptureStdout();
        const float result = c.call(code);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(result, kErrorValue);
    }
}

// The exports return the substituted value (as a double) after the message;
// chi2 returns it as it is, not 1 minus it.
TEST(StatisticsFailures, ExportsReturnTheSubstitutedValue) {
    struct Case {
        const char* name;
        std::function<double()> call;
        std::string routine;
    };
    const double qnan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"fisher with n1 + n2 = 20001", [] { return fisher(1.0, 10000, 10001); }, "fisher_cdf"},
        {"fisher of NaN", [=] { return fisher(qnan, 2, 2); }, "fisher_cdf"},
        {"inv_fisher of 0", [] { return inv_fisher(0.0, 2, 2); }, "fisher_quantile"},
        {"inv_fisher with n1 = 0", [] { return inv_fisher(0.5, 0, 2); }, "fisher_quantile"},
        {"inv_normal of 1", [] { return inv_normal(1.0); }, "normal_quantile"},
        {"inv_normal of 2", [] { return inv_normal(2.0); }, "normal_quantile"},
        {"chi2 of x < 0", [] { return chi2(-1.0, 3); }, "chi2_cdf"},
        {"chi2 with n = 0", [] { return chi2(1.0, 0); }, "chi2_cdf"},
        {"inv_chi2 of NaN", [=] { return inv_chi2(qnan, 3); }, "chi2_quantile"},
        {"inv_chi2 of a probability beyond the float range", [] { return inv_chi2(1e300, 3); }, "chi2_quantile"},
        {"inv_chi2 with n = 0", [] { return inv_chi2(0.5, 0); }, "chi2_quantile"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::internal::CaptureStdout();
        const double result = c.call();
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(result, static_cast<double>(kErrorValue));
        EXPECT_EQ(printed.rfind("calvex: fatal error in function " + c.routine + "\n", 0), 0u) << printed;
    }
}

TEST(StatisticsFailures, NormalOfNaNIsNaN) {
    EXPECT_TRUE(std::isnan(normal(std::numeric_limits<double>::quiet_NaN())));
}

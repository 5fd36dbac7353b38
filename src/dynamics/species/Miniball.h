#pragma once
// The smallest ball enclosing a set of points in d dimensions, by Gärtner's
// move-to-front algorithm with pivoting ("Fast and robust smallest enclosing
// balls", 1999).
//
// The points are kept in a list whose front holds the support points of the
// ball found so far; `mtf_mb` finds the smallest ball of a prefix of the list
// with a fixed set of boundary points (the basis), moving every point that
// had to enter the basis to the front, and `pivot_mb` repeatedly pushes the
// point farthest outside the current ball into the basis, so that the
// recursion stays shallow. The basis computes the ball through its points
// incrementally, by Gram-Schmidt orthogonalisation of the point differences.
//
// The residues' enclosing spheres and the covering spheres of the species
// are fitted with Miniball<3>.
#include <array>
#include <cstddef>
#include <iterator>
#include <list>

// A point of d double coordinates.
template <int d>
class Point {
public:
    Point() = default;
    // Three coordinates, for Point<3>.
    Point(double x, double y, double z)
        requires(d == 3)
        : coord_{x, y, z} {}

    double& operator[](int i) { return coord_[static_cast<std::size_t>(i)]; }
    double operator[](int i) const { return coord_[static_cast<std::size_t>(i)]; }

private:
    std::array<double, static_cast<std::size_t>(d)> coord_{};
};

// The smallest ball through a basis of at most d + 1 points, grown and
// shrunk one point at a time.
template <int d>
class MiniballBasis {
public:
    MiniballBasis() { reset(); }

    // Empty basis: no ball (squared radius -1, every point outside).
    void reset() {
        m_ = 0;
        for (int j = 0; j < d; ++j) c_[0][j] = 0;
        current_ = 0;
        current_sqr_r_ = -1;
    }

    int size() const { return m_; }
    const double* center() const { return c_[current_]; }
    double squared_radius() const { return current_sqr_r_; }

    // Squared distance of p from the centre minus the squared radius:
    // positive when p lies outside the ball.
    double excess(const Point<d>& p) const {
        double e = -current_sqr_r_;
        const double* c = center();
        for (int k = 0; k < d; ++k) e += (p[k] - c[k]) * (p[k] - c[k]);
        return e;
    }

    // Adds p to the basis; false when p is affinely dependent on the basis
    // points (within the relative tolerance), in which case nothing changes.
    bool push(const Point<d>& p) {
        if (m_ == 0) {
            for (int i = 0; i < d; ++i) q0_[i] = c_[0][i] = p[i];
            sqr_r_[0] = 0;
        } else {
            for (int i = 0; i < d; ++i) v_[m_][i] = p[i] - q0_[i];
            // Orthogonalise against the earlier basis directions.
            for (int i = 1; i < m_; ++i) {
                double dot = 0;
                for (int j = 0; j < d; ++j) dot += v_[i][j] * v_[m_][j];
                a_[m_][i] = dot * (2 / z_[i]);
            }
            for (int i = 1; i < m_; ++i)
                for (int j = 0; j < d; ++j) v_[m_][j] -= a_[m_][i] * v_[i][j];
            double z = 0;
            for (int j = 0; j < d; ++j) z += v_[m_][j] * v_[m_][j];
            z_[m_] = 2 * z;
            if (z_[m_] < kEps * current_sqr_r_) return false;
            double e = -sqr_r_[m_ - 1];
            for (int i = 0; i < d; ++i) e += (p[i] - c_[m_ - 1][i]) * (p[i] - c_[m_ - 1][i]);
            f_[m_] = e / z_[m_];
            for (int i = 0; i < d; ++i) c_[m_][i] = c_[m_ - 1][i] + f_[m_] * v_[m_][i];
            sqr_r_[m_] = sqr_r_[m_ - 1] + e * f_[m_] / 2;
        }
        current_ = m_;
        current_sqr_r_ = sqr_r_[m_];
        ++m_;
        return true;
    }

    // Removes the point pushed last from the basis. The current ball stays
    // the one found last: it encloses that point, which the callers need.
    void pop() { --m_; }

private:
    static constexpr double kEps = 1e-32;

    int m_ = 0;
    double q0_[d]{};
    double z_[d + 1]{};
    double f_[d + 1]{};
    double v_[d + 1][d]{};
    double a_[d + 1][d + 1]{};
    double c_[d + 1][d]{};
    double sqr_r_[d + 1]{};
    int current_ = 0;
    double current_sqr_r_ = -1;
};

template <int d>
class Miniball {
public:
    using It = typename std::list<Point<d>>::iterator;
    using Cit = typename std::list<Point<d>>::const_iterator;

    // Adds a point; build() must run again before the ball is read.
    void check_in(const Point<d>& p) { points_.push_back(p); }

    // Finds the smallest enclosing ball of the points checked in so far.
    void build() {
        basis_.reset();
        support_end_ = points_.begin();
        if (!points_.empty()) pivot_mb(points_.end());
    }

    Point<d> center() const {
        Point<d> c;
        for (int j = 0; j < d; ++j) c[j] = basis_.center()[j];
        return c;
    }
    // -1 for an empty point set.
    double squared_radius() const { return basis_.squared_radius(); }

    int nr_points() const { return static_cast<int>(points_.size()); }
    // The points that fix the ball: the first nr_support_points() of the list.
    int nr_support_points() const {
        return static_cast<int>(std::distance(Cit(points_.begin()), Cit(support_end_)));
    }
    Cit points_begin() const { return points_.begin(); }
    Cit points_end() const { return points_.end(); }

private:
    // Smallest ball of the points before `end` with the current basis on its
    // boundary; points that had to join the basis move to the front.
    void mtf_mb(It end) {
        support_end_ = points_.begin();
        if (basis_.size() == d + 1) return;
        for (It k = points_.begin(); k != end;) {
            const It next = std::next(k);
            if (outside(basis_.excess(*k)) && basis_.push(*k)) {
                mtf_mb(k);
                basis_.pop();
                move_to_front(k);
            }
            k = next;
        }
    }

    // A point counts as outside the ball only when its excess is above the
    // rounding of the excess itself. Points lying on the sphere within
    // rounding (cospherical sets such as a cube's corners) would otherwise
    // be pushed as near-dependent support points, and the ball computed
    // through them can be smaller than the true one and miss points.
    bool outside(double excess) const { return excess > kOnSphere * basis_.squared_radius(); }

    void move_to_front(It j) {
        if (support_end_ == j) ++support_end_;
        points_.splice(points_.begin(), points_, j);
    }

    // The point between `begin` and `end` farthest outside the current ball,
    // with its excess (0 and `pivot` unchanged when none lies outside).
    double max_excess(It begin, It end, It& pivot) const {
        double max_e = 0;
        const double* c = basis_.center();
        const double sqr_r = basis_.squared_radius();
        for (It k = begin; k != end; ++k) {
            double e = -sqr_r;
            for (int j = 0; j < d; ++j) e += ((*k)[j] - c[j]) * ((*k)[j] - c[j]);
            if (outside(e) && e > max_e) {
                max_e = e;
                pivot = k;
            }
        }
        return max_e;
    }

    void pivot_mb(It end) {
        It t = std::next(points_.begin());
        mtf_mb(t);
        double max_e = 0;
        double old_sqr_r = -1;
        do {
            It pivot = points_.begin();
            max_e = max_excess(t, end, pivot);
            if (max_e > 0) {
                t = support_end_;
                if (t == pivot) ++t;
                old_sqr_r = basis_.squared_radius();
                basis_.push(*pivot);
                mtf_mb(support_end_);
                basis_.pop();
                move_to_front(pivot);
            }
        } while (max_e > 0 && basis_.squared_radius() > old_sqr_r);
    }

    static constexpr double kOnSphere = 1e-12;

    std::list<Point<d>> points_;
    It support_end_ = points_.begin();
    MiniballBasis<d> basis_;
};

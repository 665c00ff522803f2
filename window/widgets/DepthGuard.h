#pragma once

// Counts one level of nesting for as long as it lives, e.g. while the program itself moves the
// focus, so that handlers can tell such moves from the operator's.
class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

// Sets the threads the engine may use (VORN_THREADS) for the life of the object.
#pragma once

#include <cstdlib>
#include <string>

namespace vorn {

class ThreadCount {
public:
    explicit ThreadCount(int threads) {
        if (const char* before = std::getenv("VORN_THREADS")) {
            m_had = true;
            m_before = before;
        }
        ::setenv("VORN_THREADS", std::to_string(threads).c_str(), 1);
    }
    ~ThreadCount() {
        if (m_had)
            ::setenv("VORN_THREADS", m_before.c_str(), 1);
        else
            ::unsetenv("VORN_THREADS");
    }
    ThreadCount(const ThreadCount&) = delete;
    ThreadCount& operator=(const ThreadCount&) = delete;

private:
    bool m_had = false;
    std::string m_before;
};

} // namespace vorn

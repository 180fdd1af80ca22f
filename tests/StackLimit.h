// Runs test code on a thread with a stack of a chosen size, so that deep recursion shows as a
// crash there rather than passing on the main thread's larger stack.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <exception>
#include <functional>
#include <stdexcept>

inline void RunWithStack(std::size_t bytes, const std::function<void()>& body) {
    struct TRun {
        const std::function<void()>* Body;
        std::exception_ptr Error;
    } run{&body, nullptr};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, bytes);
    pthread_t thread;
    const int started = pthread_create(
        &thread, &attributes,
        [](void* data) -> void* {
            auto* r = static_cast<TRun*>(data);
            try {
                (*r->Body)();
            } catch (...) {
                r->Error = std::current_exception();
            }
            return nullptr;
        },
        &run);
    pthread_attr_destroy(&attributes);
    if (started != 0) throw std::runtime_error("no thread for the stack test");
    pthread_join(thread, nullptr);
    if (run.Error) std::rethrow_exception(run.Error);
}

#pragma once

#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

namespace corvane {

// Thrown out of a wait when the task it belongs to was cancelled.
struct TaskCancelled : std::exception {
    const char* what() const noexcept override { return "The operation was cancelled."; }
};

template <typename T = void>
class Task;

namespace detail {

struct PromiseBase {
    std::coroutine_handle<> continuation;
    std::exception_ptr error;

    std::suspend_always initial_suspend() noexcept { return {}; }

    struct FinalAwaiter {
        bool await_ready() noexcept { return false; }
        template <typename Promise>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> self) noexcept {
            auto next = self.promise().continuation;
            return next ? next : std::noop_coroutine();
        }
        void await_resume() noexcept {}
    };
    FinalAwaiter final_suspend() noexcept { return {}; }
    void unhandled_exception() noexcept { error = std::current_exception(); }
};

template <typename T>
struct Promise : PromiseBase {
    std::optional<T> value;
    Task<T> get_return_object() noexcept;
    template <typename U>
    void return_value(U&& result) {
        value.emplace(std::forward<U>(result));
    }
    T take() {
        if (error) std::rethrow_exception(error);
        return std::move(*value);
    }
};

template <>
struct Promise<void> : PromiseBase {
    Task<void> get_return_object() noexcept;
    void return_void() noexcept {}
    void take() {
        if (error) std::rethrow_exception(error);
    }
};

}  // namespace detail

// A lazily started coroutine producing a T (or an exception). Awaiting it runs
// it to completion on the caller's thread and resumes the caller afterwards;
// all suspension happens in the waits it awaits (see Scheduler). One thread,
// no locks.
template <typename T>
class [[nodiscard]] Task {
public:
    using promise_type = detail::Promise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    Task() = default;
    explicit Task(Handle handle) : handle_(handle) {}
    Task(Task&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            if (handle_) handle_.destroy();
            handle_ = std::exchange(other.handle_, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() {
        if (handle_) handle_.destroy();
    }

    bool done() const { return !handle_ || handle_.done(); }

    auto operator co_await() && noexcept {
        struct Awaiter {
            Handle handle;
            bool await_ready() const noexcept { return !handle || handle.done(); }
            std::coroutine_handle<> await_suspend(std::coroutine_handle<> caller) noexcept {
                handle.promise().continuation = caller;
                return handle;
            }
            T await_resume() { return handle.promise().take(); }
        };
        return Awaiter{handle_};
    }

private:
    Handle handle_;
};

namespace detail {
template <typename T>
Task<T> Promise<T>::get_return_object() noexcept {
    return Task<T>(std::coroutine_handle<Promise<T>>::from_promise(*this));
}
inline Task<void> Promise<void>::get_return_object() noexcept {
    return Task<void>(std::coroutine_handle<Promise<void>>::from_promise(*this));
}

// A coroutine that starts at once and frees itself when it ends.
struct Detached {
    struct promise_type {
        Detached get_return_object() noexcept { return {}; }
        std::suspend_never initial_suspend() noexcept { return {}; }
        std::suspend_never final_suspend() noexcept { return {}; }
        void return_void() noexcept {}
        void unhandled_exception() noexcept { std::terminate(); }
    };
};

template <typename T, typename Done>
Detached runDetached(Task<T> task, Done done) {
    std::exception_ptr error;
    if constexpr (std::is_void_v<T>) {
        try {
            co_await std::move(task);
        } catch (...) {
            error = std::current_exception();
        }
        done(error);
    } else {
        std::optional<T> value;
        try {
            value.emplace(co_await std::move(task));
        } catch (...) {
            error = std::current_exception();
        }
        done(std::move(value), error);
    }
}
}  // namespace detail

// Starts `task` now and calls `done` when it ends, on whatever turn of the event
// loop that is: done(std::optional<T> value, std::exception_ptr error) for a
// value task, done(std::exception_ptr error) for a void task. Exactly one of
// value and error is set.
template <typename T, typename Done>
void start(Task<T> task, Done done) {
    detail::runDetached(std::move(task), std::move(done));
}

// Runs `task` to its end on the calling thread and returns its value or throws
// its error. For schedulers whose waits never suspend (a blocking clock in the
// command-line tools, a simulated one in tests); throws std::logic_error if the
// task is left waiting for an event loop.
template <typename T>
T runSynchronously(Task<T> task) {
    // Shared, so that a task resumed after this returned still writes somewhere valid.
    struct Outcome {
        std::optional<T> value;
        std::exception_ptr error;
        bool finished = false;
    };
    auto outcome = std::make_shared<Outcome>();
    start(std::move(task), [outcome](std::optional<T> value, const std::exception_ptr& error) {
        outcome->value = std::move(value);
        outcome->error = error;
        outcome->finished = true;
    });
    if (!outcome->finished) throw std::logic_error("The task is waiting for an event loop.");
    if (outcome->error) std::rethrow_exception(outcome->error);
    return std::move(*outcome->value);
}

}  // namespace corvane

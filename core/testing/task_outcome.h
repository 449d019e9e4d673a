#pragma once

#include <exception>
#include <optional>
#include <utility>

#include "core/task.h"

namespace corvane::testing {

// What a started task reported: its value or its error, once it has finished.
template <typename T>
struct TaskOutcome {
    bool finished = false;
    std::optional<T> value;
    std::exception_ptr error;

    // The error as an E, or nothing when the task failed otherwise or not at all.
    template <typename E>
    std::optional<E> errorAs() const {
        try {
            if (error) std::rethrow_exception(error);
        } catch (const E& e) {
            return e;
        } catch (...) {
        }
        return std::nullopt;
    }
};

// Starts `task`; `outcome` is filled in when it ends (at once on a simulated
// clock, later on an event loop). `outcome` must outlive the task.
template <typename T>
void startInto(Task<T> task, TaskOutcome<T>& outcome) {
    start(std::move(task), [&outcome](std::optional<T> value, std::exception_ptr error) {
        outcome = TaskOutcome<T>{true, std::move(value), error};
    });
}

// Runs a task whose waits all complete at once (a simulated clock).
template <typename T>
TaskOutcome<T> runToCompletion(Task<T> task) {
    TaskOutcome<T> outcome;
    startInto(std::move(task), outcome);
    return outcome;
}

}  // namespace corvane::testing

#pragma once
// How the code of a run reaches the run's own state object without a
// process-wide variable per field. A sequential run uses the process's own
// object (its user-interface thread and its worker share it); each worker of
// a parallel run binds an object of its own to its thread, which wins over
// the process's.

template <typename State>
class RunBinding {
public:
    static State& Current() { return t_bound ? *t_bound : ProcessState(); }

    // Binds `state` for the calling thread only.
    class ForThread {
    public:
        explicit ForThread(State& state) : m_saved(t_bound) { t_bound = &state; }
        ~ForThread() { t_bound = m_saved; }
        ForThread(const ForThread&) = delete;
        ForThread& operator=(const ForThread&) = delete;

    private:
        State* m_saved;
    };

private:
    static State& ProcessState()
    {
        static State state;
        return state;
    }

    static inline thread_local State* t_bound = nullptr;
};

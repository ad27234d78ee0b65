#pragma once
// How the code of a run reaches the run's own state object without a
// process-wide variable per field. A sequential run binds its object for the
// whole process (its user-interface thread and its worker share it); each
// worker of a parallel run binds its own object to its own thread, which
// wins over the process-wide one. With nothing bound, a fallback object
// stands in (tests that drive single operations use it).

template <typename State>
class RunBinding {
public:
    static State& Current()
    {
        if (t_bound)
            return *t_bound;
        return s_bound ? *s_bound : Fallback();
    }

    // Binds `state` for every thread that has no binding of its own.
    class ForProcess {
    public:
        explicit ForProcess(State& state) : m_saved(s_bound) { s_bound = &state; }
        ~ForProcess() { s_bound = m_saved; }
        ForProcess(const ForProcess&) = delete;
        ForProcess& operator=(const ForProcess&) = delete;

    private:
        State* m_saved;
    };

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

    static State& Fallback()
    {
        static State state;
        return state;
    }

private:
    static inline thread_local State* t_bound = nullptr;
    static inline State* s_bound = nullptr;
};

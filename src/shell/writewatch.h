// Whether a write that is tried again and again (the recovery file, the settings) works: the
// user is told when it first fails and when it works again, never at every attempt.
#pragma once

namespace tavi {

class TWriteWatch {
public:
    enum class TNews { None, Failing, WorksAgain };

    // The outcome of one attempt, and what of it the user should hear.
    TNews Written(bool ok) {
        if (ok == !FFailing) return TNews::None;
        FFailing = !ok;
        return ok ? TNews::WorksAgain : TNews::Failing;
    }
    bool Failing() const { return FFailing; }

private:
    bool FFailing = false;
};

} // namespace tavi

#ifndef ENVCHECK_FAKES_CURRENTFAKE_H
#define ENVCHECK_FAKES_CURRENTFAKE_H

// The fake that the functions it hands out reach, having no object of their
// own: the newest one alive of its kind. When it ends, the one before it is
// current again.
template <typename Fake>
class TCurrentFake {
public:
    static Fake& Current() { return static_cast<Fake&>(*Newest); }

protected:
    TCurrentFake() : Previous(Newest) { Newest = this; }
    // A copy is a fake of its own, and the newest.
    TCurrentFake(const TCurrentFake&) : TCurrentFake() {}
    TCurrentFake& operator=(const TCurrentFake&) { return *this; }
    ~TCurrentFake()
    {
        // Copies may end in any order: this one leaves wherever it stands.
        TCurrentFake** link = &Newest;
        while (*link != this) link = &(*link)->Previous;
        *link = Previous;
    }

private:
    static inline TCurrentFake* Newest = nullptr;
    TCurrentFake* Previous;
};

#endif

// Base of the inspection components: a non-visual component that holds the
// text behind its About property and declares nothing else.
#pragma once

#include <string>

class TumdcComponent {
public:
    virtual ~TumdcComponent() = default;

    const std::string& About() const { return about_; }
    void SetAbout(const std::string& text) { about_ = text; }

    // The component's name, used as the title of messages it shows itself.
    std::string Name;
    // While set, the component shows its failures in a message box titled
    // with its Name instead of raising them.
    bool Designing = false;

private:
    std::string about_ = "Vantrel inspection component";
};

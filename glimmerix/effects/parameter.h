#ifndef GLIMMERIX_EFFECTS_PARAMETER_H
#define GLIMMERIX_EFFECTS_PARAMETER_H

namespace effects {

// A parameter of an effect as the editor offers it: the range of its box, the step
// of the box's arrows and the value it starts at. Each effect's header names its
// own; the window, the tests and the fuzzer use these.
template <class T> struct Parameter
{
    T minimum;
    T maximum;
    T step;
    T start;
};

} // namespace effects

#endif

#pragma once
// Maps a float parameter onto a slider fraction and back. The value range is
// what the slider covers of the parameter (often narrower than what the
// parameter accepts); the mapping is the identity, linear, or eased so that
// the low end of the range gets most of the slider's travel.

namespace vynui {

class IParameter;

class ParameterSliderTarget {
public:
    enum Mapping { IDENTITY = 0, LINEAR = 1, EASED = 2 };

    /// The parameter is not owned (null: unbound).
    void SetParameter(IParameter* parameter) { m_parameter = parameter; }
    IParameter* GetParameter() const { return m_parameter; }
    /// Binds parameter and covers [minimum, maximum] of its values.
    void Bind(IParameter* parameter, float minimum, float maximum);
    void Unbind() { m_parameter = nullptr; }

    /// Refused (false, unchanged) unless both are finite and minimum <= maximum.
    bool SetValueRange(float minimum, float maximum);
    bool SetSliderRange(float minimum, float maximum);
    float GetValueMinimum() const { return m_valueMin; }
    float GetValueMaximum() const { return m_valueMax; }
    float GetSliderMinimum() const { return m_sliderMin; }
    float GetSliderMaximum() const { return m_sliderMax; }
    /// IDENTITY, LINEAR or EASED; other values are refused.
    bool SetMapping(int mode);
    int GetMapping() const { return m_mapping; }

    /// The value a slider fraction stands for, within the value range (the
    /// value minimum for a fraction that is not a number).
    float ValueFromFraction(float fraction) const;
    /// The fraction showing value, within the slider range (the slider
    /// minimum for a value that is not a number).
    float FractionFromValue(float value) const;

    /// The fraction of the parameter's current value; of the value minimum
    /// while unbound.
    float GetFraction() const;
    /// Sets the parameter (through its own setter, which may refuse) to the
    /// value of fraction. False while unbound or for a fraction that is not
    /// a number.
    bool SetFraction(float fraction);

private:
    IParameter* m_parameter = nullptr;
    float m_valueMin = 0.0f;
    float m_valueMax = 1.0f;
    int m_mapping = IDENTITY;
    float m_sliderMin = 0.0f;
    float m_sliderMax = 1.0f;
};

}  // namespace vynui

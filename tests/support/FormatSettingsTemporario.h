#pragma once

#include "data/FormatSettings.h"

// Sets settings for one scope and puts the previous ones back.
class TFormatSettingsTemporario {
  public:
    explicit TFormatSettingsTemporario(const TFormatSettings& settings)
        : m_anterior(FormatSettings()) {
        DefineFormatSettings(settings);
    }
    ~TFormatSettingsTemporario() { DefineFormatSettings(m_anterior); }
    TFormatSettingsTemporario(const TFormatSettingsTemporario&) = delete;
    TFormatSettingsTemporario& operator=(const TFormatSettingsTemporario&) = delete;

  private:
    TFormatSettings m_anterior;
};

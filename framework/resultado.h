// What an operation of the core gives back: its value, or why there is none
// in the Spanish words that the window shows in a message box and nrv-cli
// prints. The operations themselves show nothing.
#pragma once

#include <optional>
#include <utility>

#include "framework/afx.h"

struct Fallo {
  CString strMensaje;
  // The input was refused (the window asks for another; nrv-cli exits with
  // its code for a refused value), rather than the operation failing.
  bool bRechazo = false;
};

inline Fallo Rechazo(CString strMensaje) { return Fallo{std::move(strMensaje), true}; }

// The value of an operation that gives nothing but success.
struct Hecho {};

template <class T>
class Resultado {
 public:
  Resultado(T valor) : m_valor(std::move(valor)) {}
  Resultado(Fallo fallo) : m_fallo(std::move(fallo)) {}

  explicit operator bool() const { return m_valor.has_value(); }
  T& operator*() { return *m_valor; }
  const T& operator*() const { return *m_valor; }
  T* operator->() { return &*m_valor; }
  const T* operator->() const { return &*m_valor; }

  const Fallo& GetFallo() const { return m_fallo; }
  const CString& Mensaje() const { return m_fallo.strMensaje; }
  bool EsRechazo() const { return !m_valor && m_fallo.bRechazo; }

 private:
  std::optional<T> m_valor;
  Fallo m_fallo;
};

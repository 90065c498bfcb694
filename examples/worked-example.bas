Option Explicit

' Arithmetic helpers.

Private m_calls As Long

Public Sub ResetCalls()
    m_calls = 0
End Sub
''
Public Function Add(ByVal a As Long, ByVal b As Long) As Long
    m_calls = m_calls + 1
    Add = a + b
End Function

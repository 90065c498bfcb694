Option Explicit

Private Declare PtrSafe Function GetTickCount Lib "kernel32" () As Long

Public Enum ShapeKind
    ShapeCircle = 1
    ShapeSquare = 2
End Enum

Private Type Point
    X As Double
    Y As Double
End Type

Private m_origin As Point
Dim m_count As Long
''' <summary>
''' Adds two numbers.
''' </summary>
''' <param name="a">The first addend.</param>
''' <param name="b">The second addend.</param>
''' <returns>The sum.</returns>
''' <remarks></remarks>
''' <example>Add(2, 3) returns 5.</example>
Public Function Add(ByVal a As Long, ByVal b As Long) As Long
    Add = a + b
End Function

''' <summary>
''' The distance between two points.
''' </summary>
''' <param name="x1"></param>
''' <param name="y1"></param>
''' <param name="x2"></param>
''' <param name="y2"></param>
''' <returns>The length of the line from (x1, y1) to (x2, y2).</returns>
''' <remarks></remarks>
Public Function Distance(ByVal x1 As Double, ByVal y1 As Double, _
                         ByVal x2 As Double, ByVal y2 As Double) As Double
    Distance = Sqr((x2 - x1) ^ 2 + (y2 - y1) ^ 2)
End Function

Public Sub Reset()
    m_count = 0
    m_origin.X = 0
    m_origin.Y = 0
End Sub

Public Property Get Count() As Long
    Count = m_count
End Property

Public Property Let Count(ByVal value As Long)
    m_count = value
End Property

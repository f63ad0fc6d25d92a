' Hands the address GetHostAdaptersList answered back to ShowDeviceList, held in a
' variable of the script.
Set corvath = CreateObject("Corvath.CorvathObj")
list = corvath.GetHostAdaptersList()
corvath.ShowDeviceList list
WScript.Echo "shown"

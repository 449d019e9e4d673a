#!/usr/bin/python3
"""A screen saver that says the screen is locked.

Serves org.freedesktop.ScreenSaver on the session bus of DBUS_SESSION_BUS_ADDRESS
and answers GetActive with true, until it is stopped.
"""

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.freedesktop.ScreenSaver">
    <method name="GetActive">
      <arg type="b" direction="out"/>
    </method>
  </interface>
</node>
"""


def answer(connection, sender, path, interface, method, parameters, invocation):
    if method == "GetActive":
        invocation.return_value(GLib.Variant("(b)", (True,)))
    else:
        invocation.return_dbus_error("org.freedesktop.DBus.Error.UnknownMethod", method)


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
    bus.register_object("/org/freedesktop/ScreenSaver", node.interfaces[0], answer, None, None)
    loop = GLib.MainLoop()
    Gio.bus_own_name_on_connection(bus, "org.freedesktop.ScreenSaver",
                                   Gio.BusNameOwnerFlags.NONE, None, lambda *_: loop.quit())
    loop.run()


if __name__ == "__main__":
    main()

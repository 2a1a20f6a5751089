'''BlueZ mock extension for the configurator's tests

Loaded with AddTemplate into a running dbusmock "bluez5" mock. Adds to the org.bluez.Mock
interface of the root object:

- AddLeDevice(adapter, address, properties): a Bluetooth LE device under the adapter. Defaults are
  those of a freshly sighted LE device (Class 0, RSSI -60, no UUIDs, no manufacturer data); every
  entry of `properties` replaces a default. Plain values are converted to BlueZ's types:
  "RSSI"/"TxPower" int16, "Class" uint32, "UUIDs" as, "ManufacturerData" a{qv} (given as a map
  from the decimal company id to the bytes), "ServiceData" a{sv} of bytes.
- UpdateDevice(path, properties): changes device properties and emits PropertiesChanged.
- AddPeripheral(path, options): gives the device a GATT server. Options:
    "command"       argv of the peer (required): each characteristic write is handed to the peer's
                    standard input as one line of hexadecimal, each line the peer prints is sent as
                    a notification of the receive characteristic; an empty line drops the link.
    "service"       service UUID (default: the RX/TX service)
    "rx", "tx"      receive and transmit characteristic UUIDs (defaults: the device's)
    "cccd"          whether the receive characteristic has its 0x2902 descriptor (default true)
    "noServices"    the device resolves without any GATT service
  Connect() on the device starts the peer and resolves the services; Disconnect() (or the peer's
  empty line, or its end) ends the peer and the connection.
- GetPeripheralEvents(path): what happened on the GATT server, in order: "Connect", "StartNotify",
  "StopNotify", "Write <hex>", "Notify <hex>", "ReadValue <object path>", "Disconnect",
  "RemoteDisconnect".
'''

import subprocess

import dbus
from gi.repository import GLib

from dbusmock import OBJECT_MANAGER_IFACE, mockobject

BLUEZ_MOCK_IFACE = 'org.bluez.Mock'
DEVICE_IFACE = 'org.bluez.Device1'
GATT_SERVICE_IFACE = 'org.bluez.GattService1'
GATT_CHRC_IFACE = 'org.bluez.GattCharacteristic1'
GATT_DESC_IFACE = 'org.bluez.GattDescriptor1'

RXTX_SERVICE = 'dec01400-ceb1-cec0-dec0-ff0123456789'
RX_CHARACTERISTIC = 'dec01433-ceb1-cec0-dec0-ff0123456789'
TX_CHARACTERISTIC = 'dec01444-ceb1-cec0-dec0-ff0123456789'
CCCD = '00002902-0000-1000-8000-00805f9b34fb'

# Per device path: its peripheral state (options, GATT object paths, peer process, event list).
peripherals = {}


def load(_mock, _parameters):
    peripherals.clear()


def _variant(name, value):
    '''One device property in the D-Bus type BlueZ gives it.'''
    if name in ('RSSI', 'TxPower'):
        return dbus.Int16(int(value), variant_level=1)
    if name == 'Class':
        return dbus.UInt32(int(value), variant_level=1)
    if name == 'Appearance':
        return dbus.UInt16(int(value), variant_level=1)
    if name == 'UUIDs':
        return dbus.Array([str(u) for u in value], signature='s', variant_level=1)
    if name == 'ManufacturerData':
        return dbus.Dictionary({dbus.UInt16(int(k)): dbus.Array(bytes(v), signature='y', variant_level=1)
                                for k, v in value.items()}, signature='qv', variant_level=1)
    if name == 'ServiceData':
        return dbus.Dictionary({str(k): dbus.Array(bytes(v), signature='y', variant_level=1)
                                for k, v in value.items()}, signature='sv', variant_level=1)
    if name == 'Adapter':
        return dbus.ObjectPath(value, variant_level=1)
    if isinstance(value, bool):
        return dbus.Boolean(value, variant_level=1)
    if isinstance(value, (bytes, bytearray)) or (isinstance(value, dbus.Array) and value.signature == 'y'):
        return dbus.Array(bytes(value), signature='y', variant_level=1)
    if isinstance(value, str):
        return dbus.String(value, variant_level=1)
    return value


def _changed(obj, interface, properties):
    obj.EmitSignal(dbus.PROPERTIES_IFACE, 'PropertiesChanged', 'sa{sv}as', [interface, properties, []])


def _set(obj, interface, properties):
    for name, value in properties.items():
        obj.props[interface][name] = value
    _changed(obj, interface, properties)


def _add_object(path, interface, properties, methods):
    root = mockobject.objects['/']
    root.AddObject(path, interface, properties, methods)
    root.EmitSignal(OBJECT_MANAGER_IFACE, 'InterfacesAdded', 'oa{sa{sv}}',
                    [dbus.ObjectPath(path), {interface: properties}])
    return mockobject.objects[path]


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='ssa{sv}', out_signature='s')
def AddLeDevice(_self, adapter_device_name, address, properties):
    adapter_path = '/org/bluez/' + adapter_device_name
    if adapter_path not in mockobject.objects:
        raise dbus.exceptions.DBusException(f'Adapter {adapter_device_name} does not exist.',
                                            name=BLUEZ_MOCK_IFACE + '.NoSuchAdapter')
    path = adapter_path + '/dev_' + address.replace(':', '_').upper()
    values = {
        'Address': address,
        'AddressType': 'random',
        'Name': '',
        'Alias': address.replace(':', '-'),
        'Class': 0,
        'Appearance': 0,
        'Icon': '',
        'UUIDs': [],
        'Paired': False,
        'Connected': False,
        'Trusted': False,
        'Blocked': False,
        'LegacyPairing': False,
        'RSSI': -60,
        'ManufacturerData': {},
        'ServiceData': {},
        'ServicesResolved': False,
        'Adapter': adapter_path,
    }
    values.update({str(k): v for k, v in properties.items()})
    if 'Alias' not in properties and values['Name']:
        values['Alias'] = values['Name']
    device_properties = {name: _variant(name, value) for name, value in values.items()}
    _add_object(path, DEVICE_IFACE, device_properties, [
        ('Connect', '', '', lambda _obj: _connect(path)),
        ('Disconnect', '', '', lambda _obj: _disconnect(path)),
        ('Pair', '', '', ''),
        ('CancelPairing', '', '', ''),
        ('ConnectProfile', 's', '', ''),
        ('DisconnectProfile', 's', '', ''),
    ])
    return path


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='sa{sv}', out_signature='')
def UpdateDevice(_self, path, properties):
    device = _device(path)
    _set(device, DEVICE_IFACE, {str(k): _variant(str(k), v) for k, v in properties.items()})


def _device(path):
    if path not in mockobject.objects:
        raise dbus.exceptions.DBusException(f'Device {path} does not exist.',
                                            name=BLUEZ_MOCK_IFACE + '.NoSuchDevice')
    return mockobject.objects[path]


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='sa{sv}', out_signature='')
def AddPeripheral(_self, path, options):
    _device(path)
    if 'command' not in options:
        raise dbus.exceptions.DBusException('AddPeripheral needs a "command"',
                                            name=BLUEZ_MOCK_IFACE + '.InvalidArguments')
    peripherals[path] = {
        'command': [str(a) for a in options['command']],
        'service': str(options.get('service', RXTX_SERVICE)),
        'rx': str(options.get('rx', RX_CHARACTERISTIC)),
        'tx': str(options.get('tx', TX_CHARACTERISTIC)),
        'cccd': bool(options.get('cccd', True)),
        'noServices': bool(options.get('noServices', False)),
        'gatt': False,
        'rxPath': None,
        'peer': None,
        'watch': None,
        'events': [],
    }


@dbus.service.method(BLUEZ_MOCK_IFACE, in_signature='s', out_signature='as')
def GetPeripheralEvents(_self, path):
    if path not in peripherals:
        raise dbus.exceptions.DBusException(f'No peripheral on {path}', name=BLUEZ_MOCK_IFACE + '.NoSuchDevice')
    return dbus.Array(peripherals[path]['events'], signature='s')


def _add_gatt(path, peripheral):
    '''The GATT objects as BlueZ lays them out: <device>/serviceXXXX/charYYYY/descZZZZ.'''
    peripheral['gatt'] = True
    if peripheral['noServices']:
        return
    service_path = path + '/service000a'
    _add_object(service_path, GATT_SERVICE_IFACE, {
        'UUID': dbus.String(peripheral['service'], variant_level=1),
        'Primary': dbus.Boolean(True, variant_level=1),
        'Device': dbus.ObjectPath(path, variant_level=1),
        'Includes': dbus.Array([], signature='o', variant_level=1),
    }, [])

    rx_path = service_path + '/char000b'
    tx_path = service_path + '/char000e'
    for char_path, uuid, flags in ((rx_path, peripheral['rx'], ['read', 'notify']),
                                   (tx_path, peripheral['tx'], ['write'])):
        _add_object(char_path, GATT_CHRC_IFACE, {
            'UUID': dbus.String(uuid, variant_level=1),
            'Service': dbus.ObjectPath(service_path, variant_level=1),
            'Value': dbus.Array([], signature='y', variant_level=1),
            'Notifying': dbus.Boolean(False, variant_level=1),
            'Flags': dbus.Array(flags, signature='s', variant_level=1),
        }, [
            ('ReadValue', 'a{sv}', 'ay', lambda _obj, _options, c=char_path: _read(path, c)),
            ('WriteValue', 'aya{sv}', '', lambda _obj, value, _options: _write(path, value)),
            ('StartNotify', '', '', lambda _obj, c=char_path: _notify(path, c, True)),
            ('StopNotify', '', '', lambda _obj, c=char_path: _notify(path, c, False)),
        ])
    peripheral['rxPath'] = rx_path

    if peripheral['cccd']:
        desc_path = rx_path + '/desc000d'
        _add_object(desc_path, GATT_DESC_IFACE, {
            'UUID': dbus.String(CCCD, variant_level=1),
            'Characteristic': dbus.ObjectPath(rx_path, variant_level=1),
            'Value': dbus.Array([0, 0], signature='y', variant_level=1),
            'Flags': dbus.Array(['read', 'write'], signature='s', variant_level=1),
        }, [
            ('ReadValue', 'a{sv}', 'ay', lambda _obj, _options: _read(path, desc_path)),
            ('WriteValue', 'aya{sv}', '', ''),
        ])


def _connect(path):
    device = mockobject.objects[path]
    if device.props[DEVICE_IFACE]['Connected']:
        raise dbus.exceptions.DBusException('Already Connected', name='org.bluez.Error.AlreadyConnected')
    peripheral = peripherals.get(path)
    if peripheral is not None:
        peripheral['events'].append('Connect')
        if not peripheral['gatt']:
            _add_gatt(path, peripheral)
        _start_peer(path, peripheral)
    _set(device, DEVICE_IFACE, {'Connected': dbus.Boolean(True, variant_level=1)})
    _set(device, DEVICE_IFACE, {'ServicesResolved': dbus.Boolean(True, variant_level=1)})


def _disconnect(path, remote=False):
    device = mockobject.objects[path]
    if not device.props[DEVICE_IFACE]['Connected']:
        raise dbus.exceptions.DBusException('Not Connected', name='org.bluez.Error.NotConnected')
    peripheral = peripherals.get(path)
    if peripheral is not None:
        peripheral['events'].append('RemoteDisconnect' if remote else 'Disconnect')
        _stop_peer(peripheral)
        rx = mockobject.objects.get(peripheral['rxPath']) if peripheral['rxPath'] else None
        if rx is not None and rx.props[GATT_CHRC_IFACE]['Notifying']:
            _set(rx, GATT_CHRC_IFACE, {'Notifying': dbus.Boolean(False, variant_level=1)})
    _set(device, DEVICE_IFACE, {'ServicesResolved': dbus.Boolean(False, variant_level=1)})
    _set(device, DEVICE_IFACE, {'Connected': dbus.Boolean(False, variant_level=1)})


def _start_peer(path, peripheral):
    peer = subprocess.Popen(peripheral['command'], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    peripheral['peer'] = peer
    peripheral['buffer'] = b''
    peripheral['watch'] = GLib.io_add_watch(peer.stdout.fileno(), GLib.PRIORITY_DEFAULT,
                                            GLib.IO_IN | GLib.IO_HUP | GLib.IO_ERR,
                                            lambda fd, condition: _peer_output(path, peer))


def _stop_peer(peripheral):
    peer = peripheral['peer']
    if peer is None:
        return
    peripheral['peer'] = None
    if peripheral['watch'] is not None:
        GLib.source_remove(peripheral['watch'])
        peripheral['watch'] = None
    try:
        peer.stdin.close()
    except OSError:
        pass
    try:
        peer.wait(timeout=5)
    except subprocess.TimeoutExpired:
        peer.kill()
        peer.wait()
    peer.stdout.close()


def _peer_output(path, peer):
    '''Lines printed by the peer: hex packets become notifications, an empty line drops the link.'''
    peripheral = peripherals.get(path)
    if peripheral is None or peripheral['peer'] is not peer:
        return False
    chunk = peer.stdout.read1(65536) if hasattr(peer.stdout, 'read1') else peer.stdout.read(1)
    if not chunk:
        peripheral['watch'] = None
        if mockobject.objects[path].props[DEVICE_IFACE]['Connected']:
            _disconnect(path, remote=True)
        return False
    peripheral['buffer'] += chunk
    while b'\n' in peripheral['buffer']:
        line, peripheral['buffer'] = peripheral['buffer'].split(b'\n', 1)
        line = line.strip()
        if not line:
            peripheral['watch'] = None
            _disconnect(path, remote=True)
            return False
        _notify_value(peripheral, bytes.fromhex(line.decode('ascii')))
    return True


def _notify_value(peripheral, value):
    rx = mockobject.objects[peripheral['rxPath']]
    if not rx.props[GATT_CHRC_IFACE]['Notifying']:
        peripheral['events'].append('Dropped ' + value.hex())
        return
    peripheral['events'].append('Notify ' + value.hex())
    _set(rx, GATT_CHRC_IFACE, {'Value': dbus.Array(value, signature='y', variant_level=1)})


def _read(path, object_path):
    peripheral = peripherals[path]
    peripheral['events'].append('ReadValue ' + object_path)
    obj = mockobject.objects[object_path]
    interface = GATT_DESC_IFACE if GATT_DESC_IFACE in obj.props else GATT_CHRC_IFACE
    return dbus.Array(obj.props[interface]['Value'], signature='y')


def _write(path, value):
    peripheral = peripherals[path]
    data = bytes(value)
    peripheral['events'].append('Write ' + data.hex())
    peer = peripheral['peer']
    if peer is None:
        raise dbus.exceptions.DBusException('Not connected', name='org.bluez.Error.Failed')
    peer.stdin.write(data.hex().encode('ascii') + b'\n')
    peer.stdin.flush()


def _notify(path, char_path, enable):
    peripheral = peripherals[path]
    peripheral['events'].append('StartNotify' if enable else 'StopNotify')
    characteristic = mockobject.objects[char_path]
    _set(characteristic, GATT_CHRC_IFACE, {'Notifying': dbus.Boolean(enable, variant_level=1)})

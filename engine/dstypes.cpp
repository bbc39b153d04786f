// Message texts of the result codes and names of the field type codes.
#include "engine/dstypes.h"

namespace engine {

const char* DBErrorMessage(EngineResult code) noexcept {
  switch (code) {
    case DBERR_NONE: return "Successful completion.";
    case DBERR_BOF: return "At beginning of table.";
    case DBERR_EOF: return "At end of table.";
    case DBERR_KEYORRECDELETED: return "Record/Key deleted.";
    case DBERR_NOCURRREC: return "No current record.";
    case DBERR_RECNOTFOUND: return "Could not find record.";
    case DBERR_OBJNOTFOUND: return "Could not find object.";
    case DBERR_NOMEMORY: return "Insufficient memory for this operation.";
    case DBERR_KEYVIOL: return "Key violation.";
    case DBERR_REQDERR: return "Field value required.";
    case DBERR_DETAILRECORDSEXIST: return "Cannot delete master record with details.";
    case DBERR_FIELDISBLANK: return "Field is blank.";
    case DBERR_OUTOFRANGE: return "Number is out of range.";
    case DBERR_INVALIDPARAM: return "Invalid parameter.";
    case DBERR_NOSUCHINDEX: return "Index does not exist.";
    case DBERR_INVALIDFLDTYPE: return "Invalid field type.";
    case DBERR_NAMENOTUNIQUE: return "Name not unique in this context.";
    case DBERR_INDEXNAMEREQUIRED: return "Index name required.";
    case DBERR_INVALIDINDEXNAME: return "Invalid index/tag name.";
    case DBERR_INVALIDBLOBHANDLE: return "Invalid BLOB handle in record buffer.";
    case DBERR_ACTIVEINDEX: return "Index is being used to order table.";
    case DBERR_NULLFIELDNAME: return "Field name can't be null, datapacket may be corrupted";
    case DBERR_READONLYFLD: return "Trying to modify read-only field.";
    case DBERR_NA: return "Operation not applicable.";
    case DBERR_NOTINDEXED: return "Data is not indexed.";
    case DBERR_READONLYDB: return "Data is read only.";
    case DBERR_INDEXREADONLY: return "Index is read only.";
    case DBERR_TYPEMISMATCH: return "Type mismatch in expression.";
    case DBERR_CONSTRAINTFAILED: return "Record or field constraint failed.";
    case DBERR_NOTSUPPORTED: return "Capability not supported.";
    case DBERR_DELTAISEMPTY: return "Delta is empty.";
    case DBERR_NOTHINGTOUNDO: return "Nothing to undo.";
    case DBERR_NOMETADATA: return "Datapacket contains no meta data.";
    case DBERR_CANNOTAPPEND: return "Trying to append data to a non-partial dataset.";
    case DBERR_DATAPACKETMISMATCH: return "Mismatch in datapacket.";
    case DBERR_NEWERVERSIONREQ: return "Newer version required.";
    case DBERR_BLOBNOTFETCHED: return "Blob has not been fetched.";
    case DBERR_DETAILSNOTFETCHED: return "Details has not been fetched.";
    case DBERR_NOMASTERRECORD: return "No corresponding master record found.";
    case DBERR_LINKFIELDSNOTUNIQUE: return "Linkfields to detail must be unique.";
    case DBERR_FLYAWAY_WRONGORDER: return "Special case: wrong order of updates for fly-away!";
    case DBERR_NOCASCADEDUPDATES: return "Cascaded updates not enabled.";
    case DBERR_AGGREGATENOTFOUND: return "Aggregate was not found.";
    case DBERR_FIELDTYPENOTSUPPORTEDXML: return "Fieldtype not supported for XML.";
    case DBERR_DELAYEDFETCHNOTSUPPORTEDXML: return "Delayed fetching not supported for XML.";
    default: return nullptr;
  }
}

const char* FieldTypeName(std::int32_t type) noexcept {
  switch (type) {
    case fldUNKNOWN: return "fldUNKNOWN";
    case fldZSTRING: return "fldZSTRING";
    case fldDATE: return "fldDATE";
    case fldBLOB: return "fldBLOB";
    case fldBOOL: return "fldBOOL";
    case fldINT16: return "fldINT16";
    case fldINT32: return "fldINT32";
    case fldFLOAT: return "fldFLOAT";
    case fldBCD: return "fldBCD";
    case fldBYTES: return "fldBYTES";
    case fldTIME: return "fldTIME";
    case fldTIMESTAMP: return "fldTIMESTAMP";
    case fldUINT16: return "fldUINT16";
    case fldUINT32: return "fldUINT32";
    case fldFLOATIEEE: return "fldFLOATIEEE";
    case fldVARBYTES: return "fldVARBYTES";
    case fldLOCKINFO: return "fldLOCKINFO";
    case fldCURSOR: return "fldCURSOR";
    case fldINT64: return "fldINT64";
    case fldUINT64: return "fldUINT64";
    case fldADT: return "fldADT";
    case fldARRAY: return "fldARRAY";
    case fldREF: return "fldREF";
    case fldTABLE: return "fldTABLE";
    case fldDATETIME: return "fldDATETIME";
    case fldFMTBCD: return "fldFMTBCD";
    case fldWIDESTRING: return "fldWIDESTRING";
    case fldSINGLE: return "fldSINGLE";
    case fldINT8: return "fldINT8";
    case fldUINT8: return "fldUINT8";
    case fldDATETIMEOFFSET: return "fldDATETIMEOFFSET";
    case fldUNICODE: return "fldUNICODE";
    default: return nullptr;
  }
}

}  // namespace engine
